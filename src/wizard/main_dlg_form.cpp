#include "wizard/main_dlg_form.h"

#include "base/paths.h"
#include "base/shell_folders.h"
#include "image/png_bitmap.h"
#include "payload/text_file.h"

#include "base/product_names.h"
#include "engine/install_status.h"
#include "engine/install_thread.h"
#include "payload/catalogue.h"
#include "payload/components.h"
#include "payload/diagnostic_log.h"
#include "payload/disk_space.h"
#include "payload/install_log.h"
#include "payload/size_text.h"
#include "payload/temp_files.h"
#include "system/data_folders.h"
#include "system/finish_step.h"
#include "system/install_plan.h"
#include "system/registry.h"
#include "system/running_instance.h"
#include "system/shortcuts.h"
#include "system/uninstall_entry.h"
#include "wizard/common_controls.h"
#include "system/write_access.h"
#include "wizard/destination_check.h"
#include "wizard/destination_path.h"
#include "wizard/drive_changes.h"
#include "wizard/label_text.h"
#include "wizard/message_dialog.h"
#include "wizard/messages.h"

#include <commctrl.h>
#include <shlobj.h>

#include <iterator>
#include <string>
#include <tuple>

bool InstallStarted = false;

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
// What the available space reads when the volume cannot be asked.
constexpr char kUnknownSpace[] = "unknown";
constexpr char kSelCompCaption[] =
    "Uncheck boxes for the &components that you do not wish to install or upgrade (the "
    "required disk space is displayed on the right):";

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

// The association boxes and the letters that stand for them.
constexpr struct {
    TCtl Box;
    char Letter;
} kAssocBoxes[] = {
    {TCtl::AssocChkBx1, 'A'},
    {TCtl::AssocChkBx2, 'B'},
    {TCtl::AssocChkBx3, 'C'},
    {TCtl::AssocChkBx4, 'D'},
};

constexpr int kRowHeight = 16;

// The text with its "%s" marks replaced by the values, in order.
std::string FormatText(const std::string& format, const std::string& first,
                       const std::string& second) {
    std::string text;
    int used = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && used < 2) {
            text += used++ == 0 ? first : second;
            ++i;
        } else {
            text.push_back(format[i]);
        }
    }
    return text;
}

// A text file's lines (ended by CR, LF or CR LF) joined by CR LF, as a
// multi-line edit shows them. False when the file cannot be read.
bool ReadLinesForMemo(const std::string& path, std::string& text) {
    std::vector<std::string> lines;
    std::string error;
    if (!ReadTextLines(path, lines, error)) return false;
    text.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    return true;
}

HFONT MakeFont(const char* face, int height, bool bold) {
    return CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}
} // namespace

TMainDlgForm::TMainDlgForm(HICON icon, std::optional<std::string> givenDestination)
    : Icon_(icon), GivenDestination_(std::move(givenDestination)) {}

TMainDlgForm::~TMainDlgForm() = default; // the thread object waits for its thread

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

void TMainDlgForm::WaitForInstallThread() {
    if (InstallThread) InstallThread->WaitFor();
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
        if (ControlFromId(LOWORD(wp)) == TCtl::DestDirCmbBx) DestDirDrives_.Notify(HIWORD(wp));
        if (HIWORD(wp) == BN_CLICKED) OnCommand(LOWORD(wp));
        return TRUE;
    case WM_CLOSE: // the close box, Alt+F4
        RequestClose(IDCANCEL);
        return TRUE;
    case WM_TIMER:
        if (wp == kInstallTimer) PollInstallThread();
        if (wp == kDriveTimer) RefreshDriveList();
        return TRUE;
    case WM_ACTIVATEAPP:
        if (wp && ActivePage_ == kSelCompPage) RefreshDiskSpace();
        return FALSE;
    case WM_MEASUREITEM: {
        // Sent while the list is being created, before it is taken over.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (ControlFromId(int(item->CtlID)) != TCtl::SelCompLstBx) return FALSE;
        item->itemHeight = UINT(MulDiv(kRowHeight, Dpi_, 96));
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        const TCtl drawn = ControlFromId(int(item->CtlID));
        if (drawn == TCtl::DestDirLstBx) DestDirList_.DrawItem(*item);
        if (drawn == TCtl::DestDirCmbBx) DestDirDrives_.DrawItem(*item);
        if (drawn == TCtl::DestDirLstBx || drawn == TCtl::DestDirCmbBx) return TRUE;
        if (ControlFromId(int(item->CtlID)) != TCtl::SelCompLstBx) return FALSE;
        SelCompList_.DrawItem(*item);
        return TRUE;
    }
    case WM_QV_CLICKCHECK:
        if (HWND(lp) == Item(TCtl::SelCompLstBx)) SelCompLstBxClickCheck();
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = HDC(wp);
        const TCtl control = ControlFromId(GetDlgCtrlID(HWND(lp)));
        if (control == TCtl::None) return FALSE;
        // The read-only licence text keeps the look of a text box.
        if (control == TCtl::LicenseMemo) {
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        }
        // Labels and pictures on the white banner.
        const TLayoutRow& row = LayoutRow(control);
        if (row.Parent == TCtl::None || !(LayoutRow(row.Parent).Flags & lfWhite)) return FALSE;
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, (row.Flags & lfNavy) ? RGB(0, 0, 128) : GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    case WM_DESTROY:
        RememberChoices();
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
    DefaultFont_.Reset(MakeFont("MS Sans Serif", MulDiv(8, Dpi_, 72), false));
    TitleFont_.Reset(MakeFont("Arial", MulDiv(15, Dpi_, 96), true));
    BoldFont_.Reset(MakeFont("MS Sans Serif", MulDiv(8, Dpi_, 72), true));
    RECT r{0, 0, MulDiv(kDialogWidth, Dpi_, 96), MulDiv(kDialogHeight, Dpi_, 96)};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrA(Handle_, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrA(Handle_, GWL_EXSTYLE)));
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(Handle_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    BuildLayout(Handle_, Dpi_, {DefaultFont_.Get(), TitleFont_.Get(), BoldFont_.Get()}, Controls_);
    SelCompList_.Attach(Item(TCtl::SelCompLstBx));
    SelCompList_.OnDrawItem = [this](HDC dc, int row, const RECT& rest, bool selected) {
        SelCompLstBxDrawItem(dc, row, rest, selected);
    };
    // The folder list first: the drive list moves it to the current drive
    // as it starts (unheard: the form is not constructed yet).
    DestDirList_.Attach(Item(TCtl::DestDirLstBx));
    DestDirList_.OnChange = [this] { DestDirLstBxChange(); };
    DestDirDrives_.SetDirList(&DestDirList_);
    DestDirDrives_.Attach(Item(TCtl::DestDirCmbBx));
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
        HBITMAP picture = nullptr;
        if (LoadPngResource(name, picture, Dpi_)) {
            bitmap->Reset(picture);
            SendMessageA(Item(control), STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(picture));
        }
    }

    for (TCtl label : {TCtl::WelcomeLbl, TCtl::FinishLbl})
        SetControlText(Item(label), label,
                       FormatText(LayoutRow(label).Text, kProductName, std::string()));

    LoadSettings();
    SetControlText(Item(TCtl::DestDirEdt), TCtl::DestDirEdt, Options.DestDir);
    // The list shows the nearest existing folder; the edit keeps the whole.
    DestDirList_.SetDirectory(Options.DestDir);
    SetControlText(Item(TCtl::SelCompLbl), TCtl::SelCompLbl, kSelCompCaption);
    FitPages(Controls_, Dpi_);

    SetTimer(Handle_, kInstallTimer, kInstallTimerMs, nullptr);
    SetTimer(Handle_, kDriveTimer, kDriveTimerMs, nullptr);
    GoToPage(kNoPage, kWelcomePage);
    Constructed = true;
}

// The choices of an earlier run, or a first run's defaults. A saved
// folder that is gone gives the default; a "-d" argument replaces either.
void TMainDlgForm::LoadSettings() {
    const TSavedSettings saved = ::LoadSettings();
    Options.DestDir = OfferedDestination(saved.MainDir);
    if (GivenDestination_) Options.DestDir = *GivenDestination_;
    Options.Components = saved.Components;

    for (uint8_t component = 0; component < 6; ++component) {
        const bool ticked = (Options.Components >> component) & 1;
        SelCompList_.Add(ComponentNames[component],
                         ticked ? TCheckState::Checked : TCheckState::Unchecked);
        ComponentIds.push_back(component);
    }
    // The keyboard starts on an optional component; the first one is
    // always installed.
    SelCompList_.SetSelected(1);
    SelCompList_.SetState(0, TCheckState::Grayed);

    SetChecked(TCtl::InstallToAllChkBx, saved.InstallToAll);
    SetChecked(TCtl::DesktopChkBx, saved.DesktopShortcut);
    Options.Extensions = saved.Extensions;
    SetChecked(TCtl::FinishChkBx, saved.Launch);
    LastRunVersion = saved.LastRunVersion;
}

std::string TMainDlgForm::Text(TCtl control) const {
    HWND window = Item(control);
    std::string text(size_t(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(window, &text[0], int(text.size()))));
    return text;
}

bool TMainDlgForm::IsChecked(TCtl control) const {
    return SendMessageA(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TMainDlgForm::SetChecked(TCtl control, bool checked) {
    SendMessageA(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string TMainDlgForm::InstallPath(const std::string& name) const {
    return JoinPath(Options.DestDir, name);
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
    if (to == kAssocPage && Portable_) to = kFinishPage;
    if (to >= std::size(kEntryWork)) return;
    if (kEntryWork[to] && !(this->*kEntryWork[to])(from)) return;

    SetButtons(to);
    SetControlText(Item(TCtl::TopLbl), TCtl::TopLbl, kPages[to].Title);
    for (uint8_t page = 0; page < kLeaveFinish; ++page)
        if (page != to) ShowWindow(Item(PageSheet(page)), SW_HIDE);
    ShowWindow(Item(PageSheet(to)), SW_SHOW);
    ActivePage_ = to;
    FocusPage(to);
    if (to == kSelCompPage) RefreshDiskSpace();
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
    ChangeInstallState(StatusRunning, StatusPaused);

    if (!CloseConfirmed)
        CloseConfirmed = Ask(kQuitQuestion, mtConfirmation, mbNo | mbAbort) == mrAbort;
    const bool canClose = CloseConfirmed;

    if (!canClose) {
        ChangeInstallState(StatusPaused, StatusRunning);
    } else if (InstallThread) {
        // The thread stops after the file it is writing; a question it has
        // put and nobody took is withdrawn.
        RequestInstallStop();
    }
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

// True, after telling the user, while the word processor runs.
bool TMainDlgForm::WordProcessorStopsUs() {
    if (!IsWordProcessorRunning()) return false;
    Ask(kRunningMessage, mtInformation, mbOK);
    return true;
}

// ---------------------------------------------------------------- entry work

bool TMainDlgForm::EnterLicense(uint8_t from) {
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

    // Through a temporary file, with the log held back: the licence shown
    // is no part of the installation.
    const std::string file = TempFileName();
    SuppressLog();
    const bool extracted =
        Catalogue->ExtractEntry(nullptr, "License.txt", file, AskAboutWriteFailure);
    ResumeLog();
    if (extracted) {
        std::string text;
        if (ReadLinesForMemo(file, text)) {
            HWND memo = Item(TCtl::LicenseMemo);
            SendMessageA(memo, EM_LIMITTEXT, 0, 0); // as long as the licence is
            SetWindowTextA(memo, text.c_str());
        }
        DeleteFileA(file.c_str());
    } else {
        // The user gave up in the question about the file; it said enough.
        EndWizard(IDCANCEL);
    }
    SetCursor(previous);
}

bool TMainDlgForm::EnterDestDir(uint8_t from) {
    if (from != kLicensePage || IsChecked(TCtl::LicenseChkBx)) return true;
    if (Ask(kLicenseQuestion, mtInformation, mbYes | mbNo) == mrYes) EndWizard(IDCANCEL);
    return false;
}

bool TMainDlgForm::EnterSelComp(uint8_t from) {
    // Coming back from the Ready page the destination is not read again.
    if (from == kDestDirPage) {
        NormalizeDestination();
        // A folder the files could not be written to, or would be written
        // to under another name than the one recorded, is refused here
        // rather than in a run of questions about every file.
        const std::string folder = Text(TCtl::DestDirEdt);
        std::vector<std::string> names;
        for (const TAttachedFile& file : Catalogue->Files())
            names.push_back(file.Name);
        const std::string refusal = DestinationRefusal(folder, LongestDestination(names));
        std::string message = refusal;
        // Found out now, not at the first file: a standard user cannot
        // write under Program Files.
        if (message.empty() && FolderWriteAccess(folder) == TWriteAccess::Denied)
            message = NoWriteAccessMessage(folder, PerUserDestination());
        if (!message.empty()) {
            Ask(message, mtWarning, mbOK);
            SendMessageA(Handle_, WM_NEXTDLGCTL, WPARAM(Item(TCtl::DestDirEdt)), TRUE);
            return false;
        }
        Options.DestDir = folder;
    }
    MeasureComponents();
    return true;
}

bool TMainDlgForm::EnterStart(uint8_t) {
    const bool portable = IsPortable(Options.DestDir);
    const int show = portable ? SW_HIDE : SW_SHOW;
    ShowWindow(Item(TCtl::InstallToAllChkBx), show);
    ShowWindow(Item(TCtl::DesktopChkBx), show);
    // Links for everyone that could not be saved would leave no link at
    // all: a user who may not write them gets the links of their own.
    if (!portable && !CanPlaceCommonShortcuts()) {
        SetChecked(TCtl::InstallToAllChkBx, false);
        EnableWindow(Item(TCtl::InstallToAllChkBx), FALSE);
    }
    return true;
}

bool TMainDlgForm::EnterInstalling(uint8_t) {
    return !WordProcessorStopsUs();
}

bool TMainDlgForm::EnterAssoc(uint8_t) {
    // Full also when the last files were skipped.
    HWND bar = Item(TCtl::InstallingProgressBar);
    SendMessageA(bar, PBM_SETPOS, SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 0);
    for (int box = 0; box < kDocumentTypes; ++box)
        SetChecked(kAssocBoxes[box].Box, DocumentTypeChosen(Options.Extensions, box));
    return true;
}

// The finish step: the common data file, the document types and the
// shortcuts, before the page shows.
bool TMainDlgForm::EnterFinish(uint8_t) {
    TFinishChoices choices;
    choices.DestDir = Options.DestDir;
    choices.Portable = Portable_;
    for (int box = 0; box < kDocumentTypes; ++box)
        choices.DocumentTypes[box] = IsChecked(kAssocBoxes[box].Box);
    choices.InstallToAll = IsChecked(TCtl::InstallToAllChkBx);
    choices.Desktop = IsChecked(TCtl::DesktopChkBx);
    const std::string extensions = RunFinishStep(choices);
    // A portable installation had no associations page: its letters stay.
    if (!choices.Portable) Options.Extensions = extensions;
    return true;
}

// The launch step, then the end of the wizard. An "Update.log" that cannot
// be written is reported, and the wizard stays so that Finish can try again.
bool TMainDlgForm::LeaveFinish(uint8_t) {
    std::string error;
    if (!RunLaunchStep(Options.DestDir, Portable_, IsChecked(TCtl::FinishChkBx), InstallStamp,
                       Catalogue->PublicFiles, error)) {
        Ask(error, mtError, mbOK);
        return false;
    }
    EndWizard(IDOK);
    return false;
}

// The check boxes go with the window; what the settings need of them is
// kept when it closes.
void TMainDlgForm::RememberChoices() {
    InstallToAllChosen_ = IsChecked(TCtl::InstallToAllChkBx);
    DesktopChosen_ = IsChecked(TCtl::DesktopChkBx);
    LaunchChosen_ = IsChecked(TCtl::FinishChkBx);
}

void TMainDlgForm::SaveSettings() {
    bool checked[6] = {};
    for (int row = 0; row < SelCompList_.Count(); ++row)
        if (ComponentIds[size_t(row)] < 6)
            checked[ComponentIds[size_t(row)]] = SelCompList_.State(row) == TCheckState::Checked;
    Options.Components = ComponentsToSave(Options.Components, checked);
    TRegistry registry;
    ::SaveSettings(registry, Options, InstallToAllChosen_, DesktopChosen_, LaunchChosen_);
    if (!Portable_) WriteUninstallEntry(registry, Options.DestDir);
}

// ---------------------------------------------------------------- installation

void TMainDlgForm::StartInstallation() {
    // Asked once: a drive that changes its kind, or a stick pulled out,
    // later in the run must not turn half of the installation portable.
    Portable_ = IsPortable(Options.DestDir);
    // An earlier run's "Install.log" is continued.
    StartInstallLog(Portable_ ? std::string() : InstallPath("Install.log"));
    InstallStarted = true;

    SelectedComponents = 0;
    for (int row = SelCompList_.Count() - 1; row >= 0; --row) {
        if (SelCompList_.State(row) == TCheckState::Unchecked) continue;
        const uint8_t component = ComponentIds[size_t(row)];
        if (component <= 7) SelectedComponents |= uint8_t(1u << component);
    }
    InstallStamp = BuildInstallPlan(
        *Catalogue, {Options.DestDir, SelectedComponents, LastRunVersion, Portable_});
    DiagnoseInstallation(Options.DestDir, "chosen in the wizard", Portable_, SelectedComponents,
                         *Catalogue);

    HWND bar = Item(TCtl::InstallingProgressBar);
    SendMessageA(bar, PBM_SETRANGE32, 0, Catalogue->TotalInstallSize());
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SetInstallState(StatusRunning);
    InstallThread = std::make_unique<TInstallThread>(*Catalogue);
    InstallThread->Start();
}

// Timer 1. Ticks go on arriving while a dialog is open: a tick while the
// wizard shows a question of its own, or while the thread is held
// (StatusPaused), does nothing.
void TMainDlgForm::PollInstallThread() {
    if (Asking_ || Closing_) return;
    const uint8_t state = InstallState();
    if (state == StatusRunning && InstallStatus.Component != 255) {
        SendMessageA(Item(TCtl::InstallingProgressBar), PBM_SETPOS,
                     WPARAM(InstallStatus.Progress.load()), 0);
        const uint8_t component = InstallStatus.Component;
        const std::string text = LabelText(component < 6 ? ComponentNames[component] : "");
        if (Text(TCtl::InstallingLbl2) != text)
            SetControlText(Item(TCtl::InstallingLbl2), TCtl::InstallingLbl2, text);
    } else if (InstallState() == StatusQuestion) {
        // The thread waits for the answer; it reads it after StatusAnswered.
        if (!ChangeInstallState(StatusQuestion, StatusPaused)) return;
        InstallStatus.Answer =
            Ask(InstallStatus.Message, InstallStatus.Kind, InstallStatus.Buttons);
        SetInstallState(StatusAnswered);
    } else if (state == StatusDone) {
        SetInstallState(StatusIdle);
        GoToPage(kInstallingPage, kAssocPage);
    } else if (state == StatusFailed) {
        // The thread has asked the user already.
        EndWizard(IDCANCEL);
    }
}

// ---------------------------------------------------------------- components page

// The space each row's component needs on the destination volume, measured
// anew on every entry: the destination or its cluster size may have changed.
void TMainDlgForm::MeasureComponents() {
    for (int row = 0; row < SelCompList_.Count(); ++row) {
        const uint8_t component = ComponentIds[size_t(row)];
        SelCompList_.SetObject(
            row,
            component < ComponentCount
                ? FileListSize(Catalogue->Files(), ComponentFileLists[component], Options.DestDir)
                : 0);
    }
}

void TMainDlgForm::SelCompLstBxClickCheck() {
    // The first component is always installed: its row stays grayed, and
    // the totals have not changed.
    if (SelCompList_.State(0) != TCheckState::Grayed) {
        SelCompList_.SetState(0, TCheckState::Grayed);
        return;
    }
    RefreshDiskSpace();
}

void TMainDlgForm::SelCompLstBxDrawItem(HDC dc, int row, const RECT& rest, bool) {
    FillRect(dc, &rest, HBRUSH(GetCurrentObject(dc, OBJ_BRUSH)));
    // The first component's row reads as inactive, selected or not.
    if (ComponentIds[size_t(row)] == 0) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    HWND list = Item(TCtl::SelCompLstBx);
    std::string name(size_t(SendMessageA(list, LB_GETTEXTLEN, row, 0)) + 1, '\0');
    name.resize(size_t(SendMessageA(list, LB_GETTEXT, row, LPARAM(&name[0]))));
    const std::string size = FormatSize(SizeOnDisk(Options.DestDir, SelCompList_.Object(row)));
    const int height = rest.bottom - rest.top;
    SIZE extent{};
    GetTextExtentPoint32A(dc, name.c_str(), int(name.size()), &extent);
    TextOutA(dc, rest.left + 2, rest.top + (height - extent.cy) / 2, name.c_str(),
             int(name.size()));
    GetTextExtentPoint32A(dc, size.c_str(), int(size.size()), &extent);
    TextOutA(dc, rest.right - extent.cx - 2, rest.top + (height - extent.cy) / 2, size.c_str(),
             int(size.size()));
}

// The totals under the list and the space test of the Next button. A volume
// that cannot be asked for its free space (no such drive, no medium, share
// out of reach) would refuse the files as well: Next stays disabled, and the
// available space reads as unknown rather than as 0.
void TMainDlgForm::RefreshDiskSpace() {
    int64_t required = 0;
    for (int row = 0; row < SelCompList_.Count(); ++row)
        if (SelCompList_.State(row) != TCheckState::Unchecked) required += SelCompList_.Object(row);
    SetControlText(Item(TCtl::SelCompDiskSpaceReqLbl2), TCtl::SelCompDiskSpaceReqLbl2,
                   FormatSize(required));
    const int64_t available = FreeSpace(DrivePart(Options.DestDir));
    SetControlText(Item(TCtl::SelCompDiskSpaceAvailLbl2), TCtl::SelCompDiskSpaceAvailLbl2,
                   available == kUnknownFreeSpace ? kUnknownSpace : FormatSize(available));
    HWND next = Item(TCtl::NextBtn);
    const bool enough = available != kUnknownFreeSpace && available >= required;
    // A button that loses its use must not keep the keyboard.
    if (!enough && GetFocus() == next)
        SendMessageA(Handle_, WM_NEXTDLGCTL, WPARAM(Item(TCtl::SelCompLstBx)), TRUE);
    EnableWindow(next, enough);
}

// ---------------------------------------------------------------- destination page

// Tidies the typed destination in place: see NormalizedDestination.
void TMainDlgForm::NormalizeDestination() {
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    char drive = DestDirDrives_.Drive();
    if (!drive) drive = programFiles.empty() ? 'c' : programFiles[0];
    SetControlText(Item(TCtl::DestDirEdt), TCtl::DestDirEdt,
                   NormalizedDestination(Text(TCtl::DestDirEdt), drive, programFiles));
}

// The folder list moved: the edit follows it. Typing in the edit does not
// move the list.
void TMainDlgForm::DestDirLstBxChange() {
    if (!Constructed) return;
    SetControlText(Item(TCtl::DestDirEdt), TCtl::DestDirEdt, DestDirList_.Directory());
    NormalizeDestination();
}

// Timer 2, on every page: a drive that came moves the lists and the edit to
// it; the loss of the current drive moves them to the Program Files folder.
void TMainDlgForm::RefreshDriveList() {
    const uint32_t before = DestDirDrives_.DriveMask();
    if (PresentDrives() == before) return;
    DestDirDrives_.BuildList();
    const TDriveChange change = DriveChange(DestDirDrives_.DriveMask(), before,
                                            DestDirDrives_.ListedDrives(), DestDirDrives_.Drive());
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    if (change.Kind == TDriveChangeKind::NewDrive) {
        DestDirDrives_.SetDrive(change.Letter);
    } else if (change.Kind == TDriveChangeKind::ProgramFiles && programFiles.size() >= 2 &&
               programFiles[1] == ':') {
        DestDirDrives_.SetDrive(programFiles[0]);
    } else {
        DestDirDrives_.SelectCurrentDrive();
    }
}
