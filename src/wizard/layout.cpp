#include "wizard/layout.h"

#include "base/scoped_win.h"
#include "wizard/check_list_box.h"
#include "wizard/directory_list_box.h"
#include "wizard/drive_combo_box.h"
#include "wizard/font_metrics.h"
#include "wizard/panel.h"
#include "wizard/screen_dpi.h"
#include "wizard/window_text.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace {
using K = TKind;
using T = TCtl;

// The page control's pages fill its display area: its client less a frame
// of 4 pixels on each side. The frame itself lies under the banner, the
// logo strip and the button strip, and its right edge outside the dialog.
constexpr int16_t kSheetLeft = 4, kSheetTop = 4, kSheetWidth = 367, kSheetHeight = 260;
#define SHEET(id)                                                                                  \
    { T::id, T::PgCtrl, K::Sheet, kSheetLeft, kSheetTop, kSheetWidth, kSheetHeight, "", lfHidden }

// In creation order; a control created later lies on top of an earlier one.
constexpr TLayoutRow kLayout[] = {
    {T::PgCtrl, T::None, K::PageArea, 120, 41, 375, 268, "", 0},

    SHEET(WelcomeTabSheet),
    {T::WelcomeLbl, T::WelcomeTabSheet, K::Label, 12, 27, 349, 115,
     "This program will install %s (version 3.3.3.1%s) on your computer.\r\r\r\r\rClick Next to "
     "continue. Click Cancel to quit Setup.",
     0},
    // Shown only while a Next waits for the product's files to be unpacked.
    {T::PreparingLbl, T::WelcomeTabSheet, K::Label, 12, 170, 0, 0,
     "Preparing the installation. Please wait...", lfAutoSize | lfHidden},
    {T::PreparingProgressBar, T::WelcomeTabSheet, K::ProgressBar, 12, 190, 345, 16, "", lfHidden},

    SHEET(LicenseTabSheet),
    {T::C, T::LicenseTabSheet, K::Label, 12, 7, 0, 0,
     "Please read the following License Agreement:", lfAutoSize},
    {T::LicenseMemo, T::LicenseTabSheet, K::Memo, 12, 25, 345, 207, "", 0},
    {T::LicenseChkBx, T::LicenseTabSheet, K::CheckBox, 12, 237, 282, 0,
     "I &accept all the terms of the above License Agreement", lfChecked},

    SHEET(DestDirTabSheet),
    {T::D, T::DestDirTabSheet, K::Label, 11, 7, 0, 0,
     "Specify the &folder where you want to install Quorvale Word Processor:", lfAutoSize},
    {T::DestDirEdt, T::DestDirTabSheet, K::Edit, 11, 26, 345, 0, "", 0},
    {T::DestDirLstBx, T::DestDirTabSheet, K::DirList, 11, 48, 345, 174, "", 0},
    {T::DestDirCmbBx, T::DestDirTabSheet, K::DriveList, 11, 225, 345, 19, "", 0},

    SHEET(SelCompTabSheet),
    {T::SelCompLbl, T::SelCompTabSheet, K::Label, 11, 7, 345, 30, "", 0},
    {T::SelCompLstBx, T::SelCompTabSheet, K::CheckList, 11, 43, 345, 148, "", 0},
    {T::E, T::SelCompTabSheet, K::Panel, 11, 200, 345, 49, "", lfEtched},
    {T::F, T::E, K::Label, 8, 8, 0, 0, "Required disk space:", lfAutoSize},
    {T::SelCompDiskSpaceReqLbl2, T::E, K::Label, 185, 8, 150, 13, "", lfRightAlign},
    {T::G, T::E, K::Label, 8, 25, 0, 0, "Available disk space:", lfAutoSize},
    {T::SelCompDiskSpaceAvailLbl2, T::E, K::Label, 185, 25, 150, 13, "", lfRightAlign},

    SHEET(StartTabSheet),
    {T::H, T::StartTabSheet, K::Label, 11, 7, 345, 58,
     "You are now ready to install Quorvale Word Processor.\r\rClick Next to begin installation. "
     "Click Back if you want to review or change installation settings.",
     0},
    {T::InstallToAllChkBx, T::StartTabSheet, K::CheckBox, 11, 189, 230, 0,
     "Install for &anyone who uses this computer", 0},
    {T::DesktopChkBx, T::StartTabSheet, K::CheckBox, 11, 212, 230, 0, "Create a &Desktop shortcut",
     0},

    SHEET(InstallingTabSheet),
    {T::I, T::InstallingTabSheet, K::Label, 11, 170, 0, 0, "Installing", lfAutoSize},
    {T::InstallingLbl2, T::InstallingTabSheet, K::Label, 58, 170, 0, 0, "",
     lfAutoSize | lfBoldFont},
    {T::J, T::InstallingTabSheet, K::Label, 290, 170, 0, 0, "Please wait...", lfAutoSize},
    {T::InstallingProgressBar, T::InstallingTabSheet, K::ProgressBar, 11, 190, 345, 16, "", 0},

    SHEET(AssocTabSheet),
    {T::K, T::AssocTabSheet, K::Label, 11, 7, 320, 32,
     "Please check the document types that you want to associate with Quorvale Word "
     "Processor:",
     0},
    {T::AssocChkBx1, T::AssocTabSheet, K::CheckBox, 40, 76, 110, 0, "RTF Documents", 0},
    {T::AssocChkBx2, T::AssocTabSheet, K::CheckBox, 40, 103, 169, 0, "Encrypted COD Documents", 0},
    {T::AssocChkBx3, T::AssocTabSheet, K::CheckBox, 40, 130, 173, 0, "MS Word DOC Documents", 0},
    {T::AssocChkBx4, T::AssocTabSheet, K::CheckBox, 40, 157, 180, 0, "MS Word DOCX Documents", 0},

    SHEET(FinishTabSheet),
    {T::FinishLbl, T::FinishTabSheet, K::Label, 11, 7, 345, 150,
     "%s 3.3.3.1%s has been successfully installed on your system.\r\rClick Finish to exit "
     "this Setup.",
     0},
    {T::FinishChkBx, T::FinishTabSheet, K::CheckBox, 40, 190, 180, 0,
     "&Launch Quorvale Word Processor", 0},

    {T::TopPanel, T::None, K::Panel, 0, 0, 492, 46, "", lfEtched | lfWhite},
    {T::TopLbl, T::TopPanel, K::Label, 20, 14, 0, 18, "", lfAutoSize | lfTitleFont | lfNavy},
    {T::LogoSmallImage, T::TopPanel, K::Image, 440, 6, 34, 34, "", 0},

    {T::A, T::None, K::Panel, 0, 46, 123, 301, "", 0},
    {T::LogoImage, T::A, K::Image, 1, 0, 120, 260, "", 0},
    {T::B, T::A, K::LeftLine, 121, 0, 2, 301, "", 0},

    {T::N, T::None, K::Panel, 0, 307, 492, 44, "", 0},
    {T::BackBtn, T::N, K::Button, 210, 12, 85, 22, "", 0},
    {T::NextBtn, T::N, K::Button, 295, 12, 85, 22, "", lfDefault},
    {T::CancelBtn, T::N, K::Button, 392, 12, 85, 22, "", 0},

    {T::L, T::None, K::Panel, 0, 306, 492, 2, "", 0},
    {T::M, T::L, K::LoweredBox, 1, 0, 491, 2, "", 0},
};
#undef SHEET

constexpr bool TableFollowsEnum() {
    if (sizeof kLayout / sizeof kLayout[0] != size_t(kControlCount)) return false;
    for (int i = 0; i < kControlCount; ++i)
        if (kLayout[i].Id != TCtl(i)) return false;
    return true;
}
static_assert(TableFollowsEnum(), "kLayout lists every control once, in the order of TCtl");

constexpr int kFirstId = 1000;
constexpr int kCheckBoxHeight = 17;
constexpr int kEditHeight = 21;

int Scale(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}

int DefaultHeight(TKind kind) {
    switch (kind) {
    case K::CheckBox:
        return kCheckBoxHeight;
    case K::Edit:
        return kEditHeight;
    default:
        return 0;
    }
}

// A row's place in its parent as the table gives it, at `dpi`.
RECT TableBox(const TLayoutRow& row, int dpi) {
    const int height = row.Height ? row.Height : DefaultHeight(row.Kind);
    return {Scale(row.Left, dpi), Scale(row.Top, dpi), Scale(row.Left + row.Width, dpi),
            Scale(row.Top + height, dpi)};
}

// The size of a control's text in its own font and device context: on one
// line, or wrapped at `wrapWidth` as a label or a multi-line button wraps
// it. "&" marks an accelerator and takes no room.
SIZE TextSize(HWND control, const std::string& text, int wrapWidth = 0) {
    if (text.empty()) return {0, FontMetrics(control).tmHeight};
    RECT r{0, 0, wrapWidth, 0};
    const TWindowDc dc = WindowDc(control);
    HGDIOBJ old = SelectObject(dc.Get(), HGDIOBJ(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawUtf8Text(dc.Get(), text, r,
                 DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc.Get(), old);
    return {r.right - r.left, r.bottom - r.top};
}

void FitLabel(HWND label, const TLayoutRow& row, const std::string& text, int dpi) {
    const SIZE size = TextSize(label, text);
    const int height = row.Height ? Scale(row.Height, dpi) : size.cy;
    SetWindowPos(label, nullptr, 0, 0, size.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- texts that do not fit the table's sizes
//
// The table's sizes suit one font's metrics. With another font (another
// system's, a large-font setting, another code page's) or where rounding
// at another DPI differs, a text may need more room: its control grows
// within its page, and what lies below it moves down by as much.

// Controls that scroll their content: where a page runs out of room the
// tallest of them gives up height.
bool Scrolls(TKind kind) {
    return kind == K::Memo || kind == K::DirList || kind == K::CheckList;
}

struct TFit {
    TCtl Id;
    RECT Table;  // as the table places it
    RECT Placed; // where it ends up
};

bool Overlap(int top1, int bottom1, int top2, int bottom2) {
    return top1 < bottom2 && top2 < bottom1;
}

// The right edge a control may widen to: the page's, or the nearest
// control beside it.
int RightLimit(const std::vector<TFit>& page, const TFit& fit, int pageWidth) {
    int limit = pageWidth;
    for (const TFit& other : page)
        if (other.Id != fit.Id && other.Table.left >= fit.Table.right &&
            Overlap(fit.Table.top, fit.Table.bottom, other.Table.top, other.Table.bottom))
            limit = std::min(limit, int(other.Table.left));
    return limit;
}

// Grows one control so that its text fits: a wrapping label downward; a
// label sized to its text, or a check box, first to the right, then
// onto more lines.
void FitText(HWND control, const TLayoutRow& row, TFit& fit, int limit, int dpi) {
    RECT& r = fit.Placed;
    const std::string text = WindowText(control);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (row.Kind == K::Label && !(row.Flags & lfAutoSize)) {
        const int needed = TextSize(control, text, width).cy;
        if (needed > height) r.bottom = r.top + needed;
    } else if (row.Kind == K::Label) {
        if (r.right <= limit) return;
        // Too long for one line on the page: it wraps at the page's edge.
        SetWindowLongPtrA(control, GWL_STYLE,
                          (GetWindowLongPtrA(control, GWL_STYLE) & ~LONG_PTR(SS_TYPEMASK)) |
                              SS_LEFT);
        r.right = limit;
        r.bottom = r.top + std::max(height, int(TextSize(control, text, limit - r.left).cy));
    } else if (row.Kind == K::CheckBox) {
        // The box, a gap, the text, and room for the focus rectangle.
        const int box = std::max(GetSystemMetrics(SM_CXMENUCHECK), Scale(13, dpi));
        const int indent = box + FontMetrics(control).tmAveCharWidth + 2;
        const int needed = indent + TextSize(control, text).cx;
        if (needed <= width) return;
        r.right = r.left + std::min(needed, limit - int(r.left));
        if (needed <= r.right - r.left) return;
        SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | BS_MULTILINE);
        const int lines = TextSize(control, text, r.right - r.left - indent).cy + 4;
        r.bottom = r.top + std::max(height, lines);
    }
}

// Labels sized to their texts that stand side by side on one line
// ("Installing" and the name of what is being installed) keep a gap of 3
// pixels: a longer text pushes the next label to the right.
void PushApart(std::vector<TFit>& fits, HWND (&controls)[kControlCount], int dpi) {
    std::sort(fits.begin(), fits.end(),
              [](const TFit& a, const TFit& b) { return a.Table.left < b.Table.left; });
    for (size_t i = 0; i < fits.size(); ++i) {
        if (!(LayoutRow(fits[i].Id).Flags & lfAutoSize)) continue;
        for (size_t j = i + 1; j < fits.size(); ++j) {
            TFit& next = fits[j];
            const int gap = Scale(3, dpi) - (next.Table.left - fits[i].Table.right);
            if (!(LayoutRow(next.Id).Flags & lfAutoSize) || gap <= 0 ||
                !Overlap(fits[i].Table.top, fits[i].Table.bottom, next.Table.top,
                         next.Table.bottom))
                continue;
            OffsetRect(&next.Table, gap, 0);
            next.Placed = next.Table;
            SetWindowPos(controls[int(next.Id)], nullptr, next.Table.left, next.Table.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

// Fits the texts of one page's controls, moving down what lies below a
// grown one; where the page runs out of room, its tallest scrolling
// control gives up the difference.
void FitPage(HWND sheet, TCtl page, HWND (&controls)[kControlCount], int dpi) {
    std::vector<TFit> fits;
    for (const TLayoutRow& row : kLayout) {
        HWND control = controls[int(row.Id)];
        if (row.Parent != page || !control) continue;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
        fits.push_back({row.Id, r, r});
    }
    RECT sheetBox;
    GetClientRect(sheet, &sheetBox);
    PushApart(fits, controls, dpi);
    for (TFit& fit : fits)
        FitText(controls[int(fit.Id)], LayoutRow(fit.Id), fit,
                RightLimit(fits, fit, sheetBox.right), dpi);

    std::vector<int> shift(fits.size(), 0);
    for (size_t i = 0; i < fits.size(); ++i)
        for (const TFit& above : fits)
            if (above.Table.bottom <= fits[i].Table.top)
                shift[i] += above.Placed.bottom - above.Table.bottom;
    int bottom = 0;
    for (size_t i = 0; i < fits.size(); ++i)
        bottom = std::max(bottom, int(fits[i].Placed.bottom) + shift[i]);
    const int overflow = bottom - sheetBox.bottom;
    TFit* scroller = nullptr;
    for (TFit& fit : fits)
        if (Scrolls(LayoutRow(fit.Id).Kind) &&
            (!scroller ||
             fit.Table.bottom - fit.Table.top > scroller->Table.bottom - scroller->Table.top))
            scroller = &fit;
    if (overflow > 0 && scroller) {
        // Half of it at most: a list keeps room to show its rows.
        const int give = std::min(overflow, int(scroller->Table.bottom - scroller->Table.top) / 2);
        scroller->Placed.bottom -= give;
        for (size_t i = 0; i < fits.size(); ++i)
            if (fits[i].Table.top >= scroller->Table.bottom) shift[i] -= give;
    }

    for (size_t i = 0; i < fits.size(); ++i) {
        RECT& r = fits[i].Placed;
        OffsetRect(&r, 0, shift[i]);
        const RECT& was = fits[i].Table;
        if (r.left == was.left && r.top == was.top && r.right == was.right &&
            r.bottom == was.bottom)
            continue;
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (r.right - r.left == was.right - was.left && r.bottom - r.top == was.bottom - was.top)
            flags |= SWP_NOSIZE; // a combo box's window is taller than it looks
        SetWindowPos(controls[int(fits[i].Id)], nullptr, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, flags);
    }
}

// A multi-line edit claims every key in a dialog, Tab, Enter and Esc too,
// and passes Tab and Esc on to its parent, here a page rather than the
// dialog. The licence memo only shows text: it leaves those keys to the
// dialog, so that Tab moves on, Enter presses the default button and Esc
// the Cancel button.
LRESULT CALLBACK MemoProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto edit = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    LRESULT result = CallWindowProcW(edit, wnd, msg, wp, lp);
    if (msg == WM_GETDLGCODE) result &= ~LRESULT(DLGC_WANTALLKEYS);
    return result;
}

struct TWindowKind {
    const wchar_t* Class;
    DWORD Style;
    DWORD ExStyle;
};

TWindowKind WindowKind(const TLayoutRow& row) {
    switch (row.Kind) {
    case K::Label: {
        DWORD align = SS_LEFT; // wraps at its width
        if (row.Flags & lfRightAlign) align = SS_RIGHT;
        if (row.Flags & lfAutoSize) align = SS_LEFTNOWORDWRAP;
        return {L"STATIC", align, 0};
    }
    case K::Image:
        return {L"STATIC", SS_BITMAP, 0};
    case K::LeftLine:
        return {L"STATIC", SS_ETCHEDVERT, 0};
    case K::LoweredBox:
        return {L"STATIC", SS_ETCHEDHORZ, 0};
    case K::Button:
        return {L"BUTTON",
                DWORD(WS_TABSTOP | ((row.Flags & lfDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)),
                0};
    case K::Edit:
        return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case K::Memo:
        return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE};
    case K::CheckBox:
        return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case K::CheckList:
        return {L"LISTBOX", TCheckListBox::kStyle, WS_EX_CLIENTEDGE};
    case K::DirList:
        return {L"LISTBOX", TDirectoryListBox::kStyle, WS_EX_CLIENTEDGE};
    case K::DriveList:
        return {L"COMBOBOX", TDriveComboBox::kStyle, 0};
    case K::ProgressBar:
        return {PROGRESS_CLASSW, 0, 0};
    case K::PageArea:
    case K::Sheet:
    case K::Panel:
        break;
    }
    return {L"STATIC", 0, 0};
}

HFONT FontOf(const TLayoutRow& row, const TLayoutFonts& fonts) {
    if (row.Flags & lfTitleFont) return fonts.Title;
    if (row.Flags & lfBoldFont) return fonts.Bold;
    return fonts.Default;
}
} // namespace

const TLayoutRow& LayoutRow(TCtl control) {
    return kLayout[int(control)];
}

int ControlId(TCtl control) {
    return kFirstId + int(control);
}

TCtl ControlFromId(int id) {
    const int index = id - kFirstId;
    return index >= 0 && index < kControlCount ? TCtl(index) : TCtl::None;
}

void BuildLayout(HWND dialog, int dpi, const TLayoutFonts& fonts, HWND (&controls)[kControlCount]) {
    for (const TLayoutRow& row : kLayout) {
        HWND parent = row.Parent == T::None ? dialog : controls[int(row.Parent)];
        const RECT r = TableBox(row, dpi);
        const int id = ControlId(row.Id);
        const bool visible = !(row.Flags & lfHidden);
        HWND control;
        if (row.Kind == K::PageArea || row.Kind == K::Sheet || row.Kind == K::Panel) {
            control = CreatePanel(
                parent, id, r, (row.Flags & lfWhite) ? RGB(255, 255, 255) : CLR_INVALID,
                (row.Flags & lfEtched) ? TPanelBevel::Etched : TPanelBevel::None, visible);
        } else {
            const TWindowKind kind = WindowKind(row);
            control = CreateChildWindow(kind.ExStyle, kind.Class, row.Text,
                                        (visible ? WS_VISIBLE : 0) | kind.Style, r, parent, id);
            if (control) SendMessageA(control, WM_SETFONT, WPARAM(FontOf(row, fonts)), FALSE);
            if (control && row.Kind == K::Label && (row.Flags & lfAutoSize))
                FitLabel(control, row, row.Text, dpi);
            // Set through the wide call, the procedure keeps the memo a
            // Unicode window (the narrow one would make it an ANSI window).
            if (control && row.Kind == K::Memo)
                SetWindowLongPtrA(
                    control, GWLP_USERDATA,
                    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MemoProc)));
            if (control && (row.Flags & lfChecked))
                SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
        }
        // The regions overlap at their edges (the banner, the logo strip and
        // the button strip cover the page control's frame): each one created
        // later goes on top. Inside a region the creation order stays the
        // z-order, which the dialog manager also takes as the Tab order.
        if (control && row.Parent == T::None)
            SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        controls[int(row.Id)] = control;
    }
}

void FitPages(HWND (&controls)[kControlCount], int dpi) {
    for (const TLayoutRow& row : kLayout)
        if (row.Kind == K::Sheet && controls[int(row.Id)])
            FitPage(controls[int(row.Id)], row.Id, controls, dpi);
}

void SetControlText(HWND control, TCtl id, const std::string& text) {
    SetWindowUtf8Text(control, text);
    const TLayoutRow& row = LayoutRow(id);
    if (row.Kind == K::Label && (row.Flags & lfAutoSize)) FitLabel(control, row, text, ScreenDpi());
}

HBRUSH StaticColors(HDC dc, TCtl control) {
    if (control == TCtl::None) return nullptr;
    if (control == TCtl::LicenseMemo) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    const TLayoutRow& row = LayoutRow(control);
    if (row.Parent == TCtl::None || !(LayoutRow(row.Parent).Flags & lfWhite)) return nullptr;
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, (row.Flags & lfNavy) ? RGB(0, 0, 128) : GetSysColor(COLOR_WINDOWTEXT));
    return HBRUSH(GetStockObject(WHITE_BRUSH));
}
