// The wizard dialog's layout: every region and control with its parent,
// kind, position and size at 96 pixels per inch, fixed text, font and
// colour, in creation order. One table, read by one builder.
#pragma once

#include "wizard/window_text.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Every control of the dialog, named as the form knows it.
enum class TCtl : uint8_t {
    PgCtrl,
    WelcomeTabSheet,
    WelcomeLbl,
    PreparingLbl,
    PreparingProgressBar,
    LicenseTabSheet,
    C,
    LicenseMemo,
    LicenseChkBx,
    DestDirTabSheet,
    D,
    DestDirEdt,
    DestDirLstBx,
    DestDirCmbBx,
    SelCompTabSheet,
    SelCompLbl,
    SelCompLstBx,
    E,
    F,
    SelCompDiskSpaceReqLbl2,
    G,
    SelCompDiskSpaceAvailLbl2,
    StartTabSheet,
    H,
    InstallToAllChkBx,
    DesktopChkBx,
    InstallingTabSheet,
    I,
    InstallingLbl2,
    J,
    InstallingProgressBar,
    AssocTabSheet,
    K,
    AssocChkBx1,
    AssocChkBx2,
    AssocChkBx3,
    AssocChkBx4,
    FinishTabSheet,
    FinishLbl,
    FinishChkBx,
    TopPanel,
    TopLbl,
    LogoSmallImage,
    A,
    LogoImage,
    B,
    N,
    BackBtn,
    NextBtn,
    CancelBtn,
    L,
    M,
    Count,
    None = 0xFF,
};
constexpr int kControlCount = int(TCtl::Count);

enum class TKind : uint8_t {
    PageArea, // the page control: a frameless area holding the pages
    Sheet,    // one page
    Panel,
    Label,
    Image,      // a picture at the control's top left
    LeftLine,   // a bevel drawn as one etched line on its left side
    LoweredBox, // a bevel drawn as a lowered box (two pixels high: an etched line)
    Button,
    Edit,
    Memo, // multi-line, read-only, vertical scroll bar
    CheckBox,
    CheckList, // TCheckListBox
    DirList,   // TDirectoryListBox
    DriveList, // TDriveComboBox
    ProgressBar,
};

enum TLayoutFlags : uint16_t {
    lfAutoSize = 1 << 0,   // a label sized to its text (width 0 in the table)
    lfRightAlign = 1 << 1, // right-aligned text
    lfChecked = 1 << 2,    // a check box ticked at first
    lfDefault = 1 << 3,    // the default button (Enter)
    lfEtched = 1 << 4,     // a panel with a lowered outer and a raised inner bevel
    lfWhite = 1 << 5,      // a panel painting a white background
    lfTitleFont = 1 << 6,  // Arial, 15 pixels, bold
    lfBoldFont = 1 << 7,   // the default font made bold
    lfNavy = 1 << 8,       // navy text
    lfHidden = 1 << 9,     // not shown at first (the pages, the Welcome page's progress)
};

struct TLayoutRow {
    TCtl Id;
    TCtl Parent; // None: the dialog itself
    TKind Kind;
    int16_t Left, Top, Width, Height; // 0: from the kind or the text
    const char* Text;
    uint16_t Flags;
};

// Client size of the dialog at 96 pixels per inch.
constexpr int kDialogWidth = 492;
constexpr int kDialogHeight = 351;

const TLayoutRow& LayoutRow(TCtl control);
// The dialog item id of a control, and back (None for ids not in the table).
int ControlId(TCtl control);
TCtl ControlFromId(int id);

// The fonts the layout uses; the form owns them.
struct TLayoutFonts {
    HFONT Default; // "MS Sans Serif", 8 points
    HFONT Title;
    HFONT Bold;
};

// Creates every control of the table under `dialog` in creation order,
// scaled from 96 pixels per inch to `dpi`.
void BuildLayout(HWND dialog, int dpi, const TLayoutFonts& fonts, HWND (&controls)[kControlCount]);

// Lets every page's texts fit their controls with the fonts in use: a
// control whose text needs more room than the table gives grows within its
// page, and what lies below it moves down. Run once, after the texts
// completed at construction are set.
void FitPages(HWND (&controls)[kControlCount], int dpi);

// Sets a control's text; a label sized to its text follows it.
void SetControlText(HWND control, TCtl id, const std::string& text);
// The colours of a static control that does not take the dialog's own:
// the read-only licence text looks like a text box, and labels and
// pictures on the white banner are white behind. The brush for
// WM_CTLCOLORSTATIC, or null for the dialog's colours.
HBRUSH StaticColors(HDC dc, TCtl control);
