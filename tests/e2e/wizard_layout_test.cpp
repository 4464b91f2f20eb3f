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

// The colour the screen shows at a point of the dialog's client area.
COLORREF PixelAt(HWND wizard, int x, int y) {
    POINT p{Scaled(x), Scaled(y)};
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
    EXPECT_TRUE(IsAt(w, person.Control("I &accept all the terms of the above License Agreement"),
                     124 + 12, 45 + 237, 282, 17));
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardLayout, TheBannerIsWhiteAndNoFrameShowsAroundThePages) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    const std::string shots = JoinPath(OutDir(), "wizard-screens");
    MakeFolders(shots);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF white = RGB(255, 255, 255);
    int page = 0;
    for (const char* title : {kWelcomeTitle, kLicenseTitle, kDestDirTitle, kSelCompTitle,
                              kStartTitle, kAssocTitle, kFinishTitle}) {
        ASSERT_TRUE(person.WalkTo(title));
        Painted(person.Wizard);
        SCOPED_TRACE(title);
        const std::string file = JoinPath(shots, std::to_string(page++) + ".png");
        EXPECT_TRUE(Screenshot(person.Wizard, file));

        // The banner, inside its bevel, left and right of the title.
        EXPECT_EQ(PixelAt(person.Wizard, 5, 5), white);
        EXPECT_EQ(PixelAt(person.Wizard, 430, 40), white);
        // Where the page control's frame would show: its last visible
        // column at the right edge and its bottom row above the separator.
        for (int y = 50; y < 300; y += 10)
            EXPECT_EQ(PixelAt(person.Wizard, 491, y), face) << y;
        for (int x = 126; x < 490; x += 10)
            EXPECT_EQ(PixelAt(person.Wizard, x, 305), face) << x;
        // And the column between the logo strip's line and the pages.
        for (int y = 50; y < 300; y += 10)
            EXPECT_EQ(PixelAt(person.Wizard, 123, y), face) << y;
    }
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

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
            const COLORREF c = PixelAt(person.Wizard, x, y);
            EXPECT_NE(c, face) << x << "," << y;
            EXPECT_GT(GetBValue(c), GetRValue(c)) << x << "," << y; // the blue picture
            tall.insert(c);
        }
    for (int y = 6; y < 38; y += 2)
        for (int x = 440; x < 472; x += 2) small.insert(PixelAt(person.Wizard, x, y));
    EXPECT_GE(tall.size(), 8u);
    EXPECT_GE(small.size(), 4u);
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}
