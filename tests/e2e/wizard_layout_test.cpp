// The wizard's geometry as the screen shows it: the dialog's size and place,
// the buttons and banner where the layout puts them, no frame around the
// pages; and a screenshot of every page to compare with the layout by eye
// (test-out\wizard-screens).
#include "wizard_person.h"

#include <set>

using namespace wizard;

namespace {
int Dpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi;
}

int Scaled(int pixels) {
    return MulDiv(pixels, Dpi(), 96);
}

// A control's place in the dialog's client area.
RECT ClientBounds(HWND wizard, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, wizard, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

::testing::AssertionResult IsAt(HWND wizard, HWND control, int left, int top, int width,
                                int height) {
    const RECT r = ClientBounds(wizard, control);
    const RECT want{Scaled(left), Scaled(top), Scaled(left + width), Scaled(top + height)};
    if (EqualRect(&r, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << Text(control) << "\" at " << r.left << "," << r.top << " " << r.right - r.left
           << "x" << r.bottom - r.top << " instead of " << want.left << "," << want.top << " "
           << want.right - want.left << "x" << want.bottom - want.top;
}

// The colour the screen shows at a point of the dialog's client area, in
// pixels at 96 per inch scaled to `dpi`.
COLORREF PixelAt(HWND wizard, int x, int y, int dpi) {
    POINT p{MulDiv(x, dpi, 96), MulDiv(y, dpi, 96)};
    ClientToScreen(wizard, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Lets the wizard paint what it just changed.
void Painted(HWND wizard) {
    Settle(wizard);
    RedrawWindow(wizard, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(wizard);
    Sleep(200);
}

// Measures captions as the wizard's controls show them, in the fonts the
// wizard asks for at `dpi` (made here: another program's font cannot be
// selected in this one). Whatever face Wine gives for them, it gives here.
class TCaptions {
  public:
    explicit TCaptions(int dpi)
        : Dpi_(dpi), Dc_(CreateCompatibleDC(nullptr)),
          Default_(Font("MS Sans Serif", MulDiv(8, dpi, 72), FW_NORMAL)),
          Title_(Font("Arial", MulDiv(15, dpi, 96), FW_BOLD)) {}
    ~TCaptions() {
        DeleteObject(Default_);
        DeleteObject(Title_);
        DeleteDC(Dc_);
    }
    TCaptions(const TCaptions&) = delete;
    TCaptions& operator=(const TCaptions&) = delete;

    // Whether the caption of `control` fits in it; the banner's title is
    // in the title font.
    ::testing::AssertionResult Fit(HWND control, bool title) const {
        const std::string text = Text(control);
        const std::string kind = ClassName(control);
        RECT client;
        GetClientRect(control, &client);
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        SIZE needed{0, 0};
        if (text.empty()) return ::testing::AssertionSuccess();
        if (lstrcmpiA(kind.c_str(), "Static") == 0) {
            const LONG type = style & SS_TYPEMASK;
            if (type == SS_LEFTNOWORDWRAP)
                needed = Size(text, title, 0);
            else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)
                needed = Size(text, title, client.right);
            else
                return ::testing::AssertionSuccess(); // a picture or a line
        } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                type == BS_AUTORADIOBUTTON) {
                // The box, then half a digit's width before the text.
                const int indent = MulDiv(13, Dpi_, 96) + Size("0", false, 0).cx / 2;
                needed = Size(text, false, (style & BS_MULTILINE) ? client.right - indent : 0);
                needed.cx += indent;
            } else {
                needed = Size(text, false, 0);
            }
        } else {
            return ::testing::AssertionSuccess(); // shows no caption
        }
        if (needed.cx <= client.right && needed.cy <= client.bottom)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "\"" << text << "\" needs " << needed.cx << "x" << needed.cy << " in "
               << client.right << "x" << client.bottom;
    }

    // The extent of a text on one line, or wrapped at `width`.
    SIZE Size(const std::string& text, bool title, int width) const {
        HGDIOBJ old = SelectObject(Dc_, title ? Title_ : Default_);
        RECT r{0, 0, width, 0};
        DrawTextA(Dc_, text.c_str(), int(text.size()), &r,
                  DT_CALCRECT | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(Dc_, old);
        return {r.right - r.left, r.bottom - r.top};
    }

  private:
    static HFONT Font(const char* face, int height, int weight) {
        return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face);
    }

    int Dpi_;
    HDC Dc_;
    HFONT Default_, Title_;
};

// The controls a person sees on the current page: not the panels, pages and
// page area that only hold them, nor the etched lines drawn along the
// panels' edges (Wine makes such a line 2 pixels longer than asked; its
// panel clips it).
std::vector<HWND> ShownControls(HWND wizard) {
    std::vector<HWND> shown;
    for (HWND control : Controls(wizard)) {
        const LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
        const bool line =
            ClassName(control) == "Static" && (type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT);
        if (IsVisible(control) && ClassName(control) != "QvPanel" && !line)
            shown.push_back(control);
    }
    return shown;
}

// A control for messages: its class, caption and place on the screen.
std::string Describe(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return ClassName(control) + " \"" + Text(control) + "\" at " + std::to_string(r.left) + "," +
           std::to_string(r.top) + "-" + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT ScreenClient(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
} // namespace

TEST(WizardLayout, TheDialogHasItsSizeIsCentredAndHasOnlyACloseBox) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.Wizard);
    RECT client;
    GetClientRect(person.Wizard, &client);
    EXPECT_EQ(client.right, Scaled(492));
    EXPECT_EQ(client.bottom, Scaled(351));

    RECT frame;
    GetWindowRect(person.Wizard, &frame);
    EXPECT_LE(std::abs((frame.left + frame.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);

    const LONG style = GetWindowLongA(person.Wizard, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(Text(person.Wizard), kWizardCaption);
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardLayout, ButtonsBannerAndPageControlsStandWhereTheLayoutPutsThem) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    HWND w = person.Wizard;
    // The button strip starts at 307.
    EXPECT_TRUE(IsAt(w, person.Control(kBack), 210, 319, 85, 22));
    EXPECT_TRUE(IsAt(w, person.Control(kNext), 295, 319, 85, 22));
    EXPECT_TRUE(IsAt(w, person.Control(kCancel), 392, 319, 85, 22));
    // The title, 20 pixels in and 14 down, 18 high.
    const RECT title = ClientBounds(w, person.Control(kLicenseTitle));
    EXPECT_EQ(title.left, Scaled(20));
    EXPECT_EQ(title.top, Scaled(14));
    EXPECT_EQ(title.bottom - title.top, Scaled(18));
    // Pages start 4 pixels inside the page control at 120, 41.
    EXPECT_TRUE(IsAt(w, FindControlByClass(w, "Edit", 0), 124 + 12, 45 + 25, 345, 207));
    // The check box is 282 wide where its text fits; where the font in use
    // needs more, it reaches further, up to the page's right edge at 491.
    HWND accept = person.Control("I &accept all the terms of the above License Agreement");
    const TCaptions captions(Dpi());
    const RECT box = ClientBounds(w, accept);
    if (captions.Size(Text(accept), false, 0).cx + Scaled(13 + 10) <= Scaled(282)) {
        EXPECT_TRUE(IsAt(w, accept, 124 + 12, 45 + 237, 282, 17));
    } else {
        EXPECT_EQ(box.left, Scaled(124 + 12));
        EXPECT_EQ(box.top, Scaled(45 + 237));
        EXPECT_EQ(box.bottom - box.top, Scaled(17));
        EXPECT_GE(box.right, Scaled(124 + 12 + 282));
        EXPECT_LE(box.right, Scaled(491));
    }
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

// Windows must not stretch a picture of the whole window at another DPI:
// the manifest says the program lays itself out (Wine lays out the same
// either way, so the declaration is what can be checked here).
TEST(WizardLayout, TheProgramDeclaresItselfDpiAware) {
    bool found = false;
    const std::string manifest =
        ReadResource(SetupExe(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), &found);
    ASSERT_TRUE(found);
    const size_t at = manifest.find("<dpiAware");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(manifest.compare(manifest.find('>', at), 6, ">true<"), 0);
    EXPECT_NE(manifest.find("urn:schemas-microsoft-com:asm.v3"), std::string::npos);
}

// Every page at 96, 120 and 144 pixels per inch, in Wine's own fonts (not
// the ones the layout's sizes were made for): each caption fits its
// control, no two controls overlap, each lies inside its page and the
// dialog; the banner is white and no frame shows around the pages. A
// screenshot of every page goes to test-out\wizard-screens-<dpi>.
class WizardPagesAtDpi : public ::testing::TestWithParam<int> {};

TEST_P(WizardPagesAtDpi, CaptionsFitNothingOverlapsAndNoFrameShows) {
    const int dpi = GetParam();
    SeeWindowsUnscaled();
    WineDpi wineDpi(dpi);
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.Wizard);
    const TCaptions captions(dpi);
    const std::string shots = JoinPath(OutDir(), "wizard-screens-" + std::to_string(dpi));
    MakeFolders(shots);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF white = RGB(255, 255, 255);
    RECT client;
    GetClientRect(person.Wizard, &client);
    EXPECT_EQ(client.right, MulDiv(492, dpi, 96));
    int page = 0;
    for (const char* title : {kWelcomeTitle, kLicenseTitle, kDestDirTitle, kSelCompTitle,
                              kStartTitle, kAssocTitle, kFinishTitle}) {
        ASSERT_TRUE(person.WalkTo(title));
        Painted(person.Wizard);
        SCOPED_TRACE(title);
        EXPECT_TRUE(Screenshot(person.Wizard, JoinPath(shots, std::to_string(page++) + ".png")));

        const RECT dialog = ScreenClient(person.Wizard);
        const std::vector<HWND> shown = ShownControls(person.Wizard);
        for (HWND control : shown) {
            EXPECT_TRUE(captions.Fit(control, Text(control) == title));
            RECT r;
            GetWindowRect(control, &r);
            EXPECT_TRUE(Contains(ScreenClient(GetParent(control)), r)) << Describe(control);
            EXPECT_TRUE(Contains(dialog, r)) << Describe(control);
        }
        for (size_t i = 0; i < shown.size(); ++i)
            for (size_t j = i + 1; j < shown.size(); ++j) {
                RECT a, b, both;
                GetWindowRect(shown[i], &a);
                GetWindowRect(shown[j], &b);
                EXPECT_FALSE(IntersectRect(&both, &a, &b))
                    << Describe(shown[i]) << " and " << Describe(shown[j]);
            }

        // The banner, inside its bevel, left and right of the title.
        EXPECT_EQ(PixelAt(person.Wizard, 5, 5, dpi), white);
        EXPECT_EQ(PixelAt(person.Wizard, 430, 40, dpi), white);
        // Where the page control's frame would show: its last visible
        // column at the right edge and its bottom row above the separator.
        for (int y = 50; y < 300; y += 10)
            EXPECT_EQ(PixelAt(person.Wizard, 491, y, dpi), face) << y;
        for (int x = 126; x < 490; x += 10)
            EXPECT_EQ(PixelAt(person.Wizard, x, 305, dpi), face) << x;
        // And the column between the logo strip's line and the pages.
        for (int y = 50; y < 300; y += 10)
            EXPECT_EQ(PixelAt(person.Wizard, 123, y, dpi), face) << y;
    }
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Wine, WizardPagesAtDpi, ::testing::Values(96, 120, 144));

// Both logos are drawn: the tall one fills the strip at the left with its
// dark blue picture, the small one shows its multicoloured mark in the banner.
TEST(WizardLayout, TheWelcomePageShowsBothLogos) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kWelcomeTitle));
    Painted(person.Wizard);
    EXPECT_TRUE(Screenshot(person.Wizard, JoinPath(OutDir(), "welcome-logos.png")));

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::set<COLORREF> tall, small;
    for (int y = 48; y < 46 + 258; y += 8) // the strip starts below the banner
        for (int x = 3; x < 119; x += 8) {
            const COLORREF c = PixelAt(person.Wizard, x, y, Dpi());
            EXPECT_NE(c, face) << x << "," << y;
            EXPECT_GT(GetBValue(c), GetRValue(c)) << x << "," << y; // the blue picture
            tall.insert(c);
        }
    for (int y = 6; y < 38; y += 2)
        for (int x = 440; x < 472; x += 2)
            small.insert(PixelAt(person.Wizard, x, y, Dpi()));
    EXPECT_GE(tall.size(), 8u);
    EXPECT_GE(small.size(), 4u);
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}
