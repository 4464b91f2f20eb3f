#include "wizard/main_dlg_form.h"

#include "base/paths.h"
#include "base/product_names.h"
#include "engine/question_numbers.h"
#include "image/png_bitmap.h"
#include "wizard/common_controls.h"
#include "wizard/label_text.h"
#include "wizard/license_text.h"
#include "wizard/message_dialog.h"
#include "wizard/messages.h"
#include "wizard/screen_dpi.h"

#include <commctrl.h>

#include <iterator>
#include <string>
#include <tuple>

namespace {
constexpr char kRunningMessage[] =
    "A copy of Quorvale Word Processor is already running on your system.\rPlease close any "
    "running instance(s) of Quorvale Word Processor, then click OK in this dialog.";
constexpr char kLicenseQuestion[] =
    "To install this program, you need to agree to all the terms\rof the Quorvale Word "
    "Processor License Agreement.\rDo you really want to cancel the Quorvale install?";
constexpr char kQuitQuestion[] =
    "Setup is not complete. If you quit this setup program now,\rQuorvale will not be correctly "
    "installed.\r\rYou may relaunch the setup program at a later time\rto complete the "
    "installation of Quorvale.\r\rTo continue installing, click No.\rTo quit this setup "
    "program, click Abort.";

// The pages by number: their sheet, their title in the banner and the
// control that gets the focus on entry. Number 8 stands for leaving the
// Finish page and has neither sheet nor title.
struct TPage {
    TCtl Sheet;
    const char* Title;
    TCtl Focus;
};
constexpr TPage kPages[] = {
    {TCtl::WelcomeTabSheet, "Welcome to the Quorvale Word Processor Setup", TCtl::None},
    {TCtl::LicenseTabSheet, "License Agreement", TCtl::LicenseMemo},
    {TCtl::DestDirTabSheet, "Choose Destination Folder", TCtl::DestDirEdt},
    {TCtl::SelCompTabSheet, "Select Components", TCtl::SelCompLstBx},
    {TCtl::StartTabSheet, "Ready to Install", TCtl::NextBtn},
    {TCtl::InstallingTabSheet, "Installing", TCtl::None},
    {TCtl::AssocTabSheet, "Associate With Document Types", TCtl::AssocChkBx1},
    {TCtl::FinishTabSheet, "Installation Complete", TCtl::None},
    {TCtl::None, "", TCtl::None},
};
static_assert(std::size(kPages) == kLeaveFinish + 1, "one row per page number");

TFontHandle MakeFont(const char* face, int height, bool bold) {
    return TFontHandle(CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}
} // namespace

TMainDlgForm::TMainDlgForm(HICON icon, TInstallRun& run, TCatalogueLoading& loading)
    : Icon_(icon), Run_(run), WelcomePage_(loading) {}

TMainDlgForm::~TMainDlgForm() = default;

INT_PTR TMainDlgForm::ShowModal() {
    RegisterProgressBarClass();
    // An empty template: the dialog lays out its own controls.
    struct {
        DLGTEMPLATE Template;
        WORD Menu, WindowClass, Title;
    } empty{};
    empty.Template.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
    empty.Template.dwExtendedStyle = WS_EX_APPWINDOW;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.Template, nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TMainDlgForm::DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    TMainDlgForm* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<TMainDlgForm*>(lp);
        SetWindowLongPtrA(wnd, DWLP_USER, lp);
        self->Handle_ = wnd;
    } else {
        self = reinterpret_cast<TMainDlgForm*>(GetWindowLongPtrA(wnd, DWLP_USER));
    }
    return self ? self->HandleMessage(msg, wp, lp) : FALSE;
}

INT_PTR TMainDlgForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        Construct();
        return FALSE; // GoToPage has set the focus
    case WM_COMMAND:
        DestDirPage_.Notify(ControlFromId(LOWORD(wp)), HIWORD(wp));
        if (HIWORD(wp) == BN_CLICKED) OnCommand(LOWORD(wp));
        return TRUE;
    case WM_CLOSE: // the close box, Alt+F4
        RequestClose(IDCANCEL);
        return TRUE;
    case WM_TIMER:
        if (wp == kInstallTimer) {
            PollWelcomePage();
            PollInstallThread();
        }
        if (wp == kDriveTimer) DestDirPage_.RefreshDriveList();
        return TRUE;
    case WM_ACTIVATEAPP:
        if (wp && ActivePage_ == kSelCompPage) SelCompPage_.RefreshDiskSpace();
        return FALSE;
    case WM_MEASUREITEM: {
        // Sent while the list is being created, before it is taken over.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (ControlFromId(int(item->CtlID)) != TCtl::SelCompLstBx) return FALSE;
        item->itemHeight = TComponentsPage::RowHeight(Dpi_);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (DestDirPage_.DrawItem(*item)) return TRUE;
        if (ControlFromId(int(item->CtlID)) != TCtl::SelCompLstBx) return FALSE;
        SelCompPage_.DrawItem(*item);
        return TRUE;
    }
    case WM_QV_CLICKCHECK:
        if (HWND(lp) == Item(TCtl::SelCompLstBx)) SelCompPage_.SelCompLstBxClickCheck();
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        // Labels on the white banner and the read-only licence text.
        HBRUSH brush = StaticColors(HDC(wp), ControlFromId(GetDlgCtrlID(HWND(lp))));
        return brush ? reinterpret_cast<INT_PTR>(brush) : FALSE;
    }
    case WM_DESTROY:
        // The boxes go with the window: the run keeps what those of the
        // page shown say, as Next would have. A typed destination counts
        // only once it has been checked.
        if (ActivePage_ != kDestDirPage) TakeChoices(ActivePage_);
        KillTimer(Handle_, kInstallTimer);
        KillTimer(Handle_, kDriveTimer);
        return FALSE;
    }
    return FALSE;
}

// ---------------------------------------------------------------- construction

void TMainDlgForm::Construct() {
    // The layout, at the screen's pixels per inch.
    Dpi_ = ScreenDpi();
    DefaultFont_ = MakeFont("MS Sans Serif", MulDiv(8, Dpi_, 72), false);
    TitleFont_ = MakeFont("Arial", MulDiv(15, Dpi_, 96), true);
    BoldFont_ = MakeFont("MS Sans Serif", MulDiv(8, Dpi_, 72), true);
    RECT r{0, 0, MulDiv(kDialogWidth, Dpi_, 96), MulDiv(kDialogHeight, Dpi_, 96)};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrA(Handle_, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrA(Handle_, GWL_EXSTYLE)));
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(Handle_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    BuildLayout(Handle_, Dpi_, {DefaultFont_.Get(), TitleFont_.Get(), BoldFont_.Get()}, Controls_);
    SendMessageA(Handle_, DM_SETDEFID, WPARAM(ControlId(TCtl::NextBtn)), 0);

    // Caption and icon, for the title bar and the taskbar. The banner
    // panel paints its own white background, visual styles or not.
    SetWindowTextA(Handle_, kApplicationTitle);
    if (Icon_) {
        SendMessageA(Handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon_));
        SendMessageA(Handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon_));
    }

    // The logos: a picture that cannot be decoded simply stays empty.
    for (auto [control, name, bitmap] :
         {std::make_tuple(TCtl::LogoSmallImage, "LOGOSMALL", &LogoSmall_),
          std::make_tuple(TCtl::LogoImage, "LOGO", &Logo_)}) {
        // The control only shows the bitmap; the form keeps it.
        if (LoadPngResource(name, *bitmap, Dpi_))
            SendMessageA(Item(control), STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(bitmap->Get()));
    }

    for (TCtl label : {TCtl::WelcomeLbl, TCtl::FinishLbl})
        SetControlText(Item(label), label,
                       FormatText(LayoutRow(label).Text, kProductName, std::string()));

    CheckBoxPages_.Attach(Controls_);
    WelcomePage_.Attach(Handle_, Controls_);
    SelCompPage_.Attach(Handle_, Controls_);
    DestDirPage_.Attach(Handle_, Controls_);
    InstallingPage_.Attach(Controls_);
    FitPages(Controls_, Dpi_);

    SetTimer(Handle_, kInstallTimer, kInstallTimerMs, nullptr);
    SetTimer(Handle_, kDriveTimer, kDriveTimerMs, nullptr);
    GoToPage(kNoPage, kWelcomePage);
}

bool TMainDlgForm::IsChecked(TCtl control) const {
    return SendMessageA(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// ---------------------------------------------------------------- navigation

void TMainDlgForm::GoToPage(uint8_t from, uint8_t to) {
    // What entering a page does before it is shown; false keeps the wizard
    // where it is, with its page, title and buttons as they were.
    static constexpr TEntryWork kEntryWork[] = {
        nullptr,                        // 0 Welcome
        &TMainDlgForm::EnterLicense,    // 1 the licence, loaded once
        &TMainDlgForm::EnterDestDir,    // 2 the licence question
        &TMainDlgForm::EnterSelComp,    // 3 the destination taken over
        &TMainDlgForm::EnterStart,      // 4 the check boxes of a portable installation
        &TMainDlgForm::EnterInstalling, // 5 the running word processor
        &TMainDlgForm::EnterAssoc,      // 6 progress full, document types
        &TMainDlgForm::EnterFinish,     // 7 the finish step
        &TMainDlgForm::LeaveFinish,     // 8 the end of the wizard
    };
    static_assert(std::size(kEntryWork) == std::size(kPages), "one entry per page number");

    // A portable installation has no associations page.
    if (to == kAssocPage && Run_.Portable()) to = kFinishPage;
    if (to >= std::size(kEntryWork)) return;
    // The page left with Next writes its part of the choices first.
    if (to > from && from < kLeaveFinish && !TakeChoices(from)) return;
    if (kEntryWork[to] && !(this->*kEntryWork[to])(from)) return;

    SetButtons(to);
    SetControlText(Item(TCtl::TopLbl), TCtl::TopLbl, kPages[to].Title);
    for (uint8_t page = 0; page < kLeaveFinish; ++page)
        if (page != to) ShowWindow(Item(PageSheet(page)), SW_HIDE);
    ShowWindow(Item(PageSheet(to)), SW_SHOW);
    ActivePage_ = to;
    FocusPage(to);
    if (to == kSelCompPage) SelCompPage_.RefreshDiskSpace();
    if (to == kInstallingPage) StartInstallation();
}

TCtl TMainDlgForm::PageSheet(uint8_t page) const {
    return page < std::size(kPages) ? kPages[page].Sheet : TCtl::None;
}

void TMainDlgForm::SetButtons(uint8_t page) {
    HWND back = Item(TCtl::BackBtn), next = Item(TCtl::NextBtn), cancel = Item(TCtl::CancelBtn);
    SetWindowTextA(back, "< &Back");
    ShowWindow(back, page != kWelcomePage ? SW_SHOW : SW_HIDE);
    EnableWindow(back, page < kInstallingPage);
    SetWindowTextA(next, page == kFinishPage ? "&Finish" : "&Next >");
    EnableWindow(next, page != kInstallingPage);
    SetWindowTextA(cancel, "Cancel");
    EnableWindow(cancel, page != kFinishPage);
}

void TMainDlgForm::FocusPage(uint8_t page) {
    HWND target = kPages[page].Focus == TCtl::None ? nullptr : Item(kPages[page].Focus);
    // A page without a focus control keeps the focus where it is, unless it
    // was on a control that is now hidden or disabled: then the keyboard
    // would reach nothing, not even Esc.
    if (!target) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle_, focus) && IsWindowVisible(focus) && IsWindowEnabled(focus))
            return;
        for (TCtl button : {TCtl::NextBtn, TCtl::CancelBtn, TCtl::BackBtn}) {
            HWND candidate = Item(button);
            if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
                target = candidate;
                break;
            }
        }
    }
    if (!target) return;
    SendMessageA(Handle_, WM_NEXTDLGCTL, WPARAM(target), TRUE);
    // The dialog manager selects the whole text of an edit it focuses; the
    // licence is for reading, not for a selection.
    if (target == Item(TCtl::LicenseMemo)) SendMessageA(target, EM_SETSEL, 0, 0);
}

void TMainDlgForm::BNClick(TCtl sender) {
    const uint8_t from = ActivePage_;
    GoToPage(from, sender == TCtl::BackBtn ? uint8_t(from - 1) : uint8_t(from + 1));
}

void TMainDlgForm::CancelBtnClick() {
    RequestClose(IDCANCEL);
}

void TMainDlgForm::OnCommand(int id) {
    // Enter comes as the default button's id, or as IDOK when the focus
    // sits on a control that is no button; Esc comes as IDCANCEL.
    TCtl control = ControlFromId(id);
    if (id == IDOK) control = TCtl::NextBtn;
    if (id == IDCANCEL) control = TCtl::CancelBtn;
    if (control != TCtl::BackBtn && control != TCtl::NextBtn && control != TCtl::CancelBtn) return;
    HWND button = Item(control);
    if (Closing_ || !IsWindowVisible(button) || !IsWindowEnabled(button)) return;
    if (control == TCtl::CancelBtn)
        CancelBtnClick();
    else
        BNClick(control);
}

bool TMainDlgForm::FormCloseQuery() {
    // Hold a running thread at its next check point while the quit question
    // is up. A thread that has just finished or asked a question keeps the
    // state it set.
    Run_.Hold();

    if (!CloseConfirmed)
        CloseConfirmed = Ask(kQuitQuestion, mtConfirmation, mbNo | mbAbort) == mrAbort;
    const bool canClose = CloseConfirmed;

    if (!canClose)
        Run_.Release();
    else
        Run_.Quit();
    return canClose;
}

void TMainDlgForm::RequestClose(INT_PTR result) {
    if (Closing_ || !FormCloseQuery()) return;
    Closing_ = true;
    EndDialog(Handle_, result);
}

void TMainDlgForm::EndWizard(INT_PTR result) {
    CloseConfirmed = true;
    RequestClose(result);
}

int TMainDlgForm::Ask(const std::string& text, uint8_t kind, uint16_t buttons) {
    ++Asking_;
    const int answer = MessageDialog(text, kind, buttons);
    --Asking_;
    return answer;
}

// The form's questions, for the pages.
TPageAsk TMainDlgForm::PageAsk() {
    return [this](const std::string& text, uint8_t kind, uint16_t buttons) {
        return Ask(text, kind, buttons);
    };
}

// True, after telling the user, while the word processor runs.
bool TMainDlgForm::WordProcessorStopsUs() {
    if (!Run_.WordProcessorRuns()) return false;
    Ask(kRunningMessage, mtInformation, mbOK);
    return true;
}

// Leaving a page forwards: the page writes its part of the run's choices.
// False keeps the wizard where it is (a destination that is refused).
bool TMainDlgForm::TakeChoices(uint8_t page) {
    switch (page) {
    case kDestDirPage:
        return DestDirPage_.TakeDestination(PageAsk());
    case kSelCompPage:
        SelCompPage_.TakeComponents();
        break;
    case kStartPage:
        CheckBoxPages_.TakeShortcuts();
        break;
    case kAssocPage:
        CheckBoxPages_.TakeDocumentTypes();
        break;
    case kFinishPage:
        CheckBoxPages_.TakeLaunch();
        break;
    }
    return true;
}

// ---------------------------------------------------------------- entry work

bool TMainDlgForm::EnterLicense(uint8_t from) {
    // Nothing past the Welcome page goes without the product's files.
    if (from == kWelcomePage && !WelcomePage_.ReadyForNext()) return false;
    // The licence is loaded once per run, coming from the Welcome page.
    if (from != kWelcomePage || GetWindowTextLengthA(Item(TCtl::LicenseMemo)) > 0) return true;
    if (WordProcessorStopsUs()) return false;
    LoadLicense();
    return true;
}

void TMainDlgForm::LoadLicense() {
    EnableWindow(Item(TCtl::NextBtn), FALSE);
    EnableWindow(Item(TCtl::CancelBtn), FALSE);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));

    // A user who gave up in the question about the file has heard enough.
    if (!ShowLicense(Item(TCtl::LicenseMemo), Run_.Catalogue())) EndWizard(IDCANCEL);
    SetCursor(previous);
}

bool TMainDlgForm::EnterDestDir(uint8_t from) {
    if (from != kLicensePage || IsChecked(TCtl::LicenseChkBx)) return true;
    if (Ask(kLicenseQuestion, mtInformation, mbYes | mbNo) == mrYes) EndWizard(IDCANCEL);
    return false;
}

bool TMainDlgForm::EnterSelComp(uint8_t) {
    SelCompPage_.MeasureComponents();
    return true;
}

bool TMainDlgForm::EnterStart(uint8_t) {
    CheckBoxPages_.EnterStart(Run_.Scope());
    return true;
}

bool TMainDlgForm::EnterInstalling(uint8_t) {
    return !WordProcessorStopsUs();
}

bool TMainDlgForm::EnterAssoc(uint8_t) {
    // Full also when the last files were skipped.
    HWND bar = Item(TCtl::InstallingProgressBar);
    SendMessageA(bar, PBM_SETPOS, SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 0);
    CheckBoxPages_.EnterAssoc();
    return true;
}

// The common data file, the document types and the shortcuts, before the
// page shows.
bool TMainDlgForm::EnterFinish(uint8_t) {
    Run_.FinishStep();
    return true;
}

// The launch step, then the end of the wizard.
bool TMainDlgForm::LeaveFinish(uint8_t) {
    // Not started with the user's own rights, it is not started: the user
    // is told where to start it.
    if (!Run_.LaunchStep(Run_.Choices.Launch))
        Ask("Quorvale Word Processor has been installed, but Setup could not start it with your "
            "own rights.\r\rStart it from the Start menu, or open\r\"" +
                JoinPath(Run_.Choices.DestDir, "kel.exe") + "\".",
            mtInformation, mbOK);
    EndWizard(IDOK);
    return false;
}

// ---------------------------------------------------------------- installation

// A run that cannot start says why; the user can only leave then.
void TMainDlgForm::StartInstallation() {
    if (InstallingPage_.Start()) return;
    Ask(Run_.StartFailure(), mtError, mbOK);
    EndWizard(IDCANCEL);
}

// Timer 1, while the Welcome page waits for the product's files: a held
// Next goes on once they are ready; files that cannot be had end the
// wizard, and the start-up says why.
void TMainDlgForm::PollWelcomePage() {
    if (Asking_ || Closing_) return;
    switch (WelcomePage_.Poll()) {
    case TWelcomePage::TTick::Nothing:
        break;
    case TWelcomePage::TTick::GoOn:
        GoToPage(kWelcomePage, kLicensePage);
        break;
    case TWelcomePage::TTick::Failed:
        EndWizard(IDCANCEL);
        break;
    }
}

// Timer 1. Ticks go on arriving while a dialog is open: a tick while the
// wizard shows a question of its own (the quit question among them, which
// holds the thread) does nothing.
void TMainDlgForm::PollInstallThread() {
    if (Asking_ || Closing_) return;
    switch (InstallingPage_.Poll(PageAsk())) {
    case TInstallRun::TCopy::Running:
        break;
    case TInstallRun::TCopy::Done:
        GoToPage(kInstallingPage, kAssocPage);
        break;
    case TInstallRun::TCopy::Failed:
        EndWizard(IDCANCEL);
        break;
    }
}
