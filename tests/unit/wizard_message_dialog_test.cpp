// The program's message dialog, shown for real on the test's main thread
// and driven from a second thread the way a person would: keys to the
// focused control, clicks on buttons, the close box.
#include "wizard/message_dialog.h"

#include "base/utf8_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {
struct TControl {
    std::string Class, Text;
    DWORD Style = 0;
    RECT Bounds{}; // screen coordinates
    HWND Window = nullptr;
    HICON Icon = nullptr;
};

// What the driver saw of the dialog before it acted.
struct TSeen {
    bool Found = false;
    std::string Caption;
    RECT Bounds{};
    std::vector<TControl> Controls; // in creation order
    std::string Focus;              // caption of the focused control
    bool CloseBoxEnabled = true;

    std::vector<std::string> Buttons() const {
        std::vector<std::string> captions;
        for (const auto& c : Controls)
            if (c.Class == "Button") captions.push_back(c.Text);
        return captions;
    }
    const TControl* Find(const std::string& cls, size_t index = 0) const {
        for (const auto& c : Controls)
            if (c.Class == cls && index-- == 0) return &c;
        return nullptr;
    }
};

// One step of the person at the dialog.
struct TAction {
    enum { Key, Click, CloseBox } What;
    UINT Vk = 0;
    std::string Button;
};
TAction Key(UINT vk) {
    return {TAction::Key, vk, ""};
}
TAction Click(const std::string& caption) {
    return {TAction::Click, 0, caption};
}
TAction CloseBox() {
    return {TAction::CloseBox, 0, ""};
}

std::string WindowText(HWND w) {
    wchar_t text[1024] = L"";
    return Utf8Text(text, size_t(GetWindowTextW(w, text, 1024)));
}

std::string ClassOf(HWND w) {
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

BOOL CALLBACK TakeVisibleDialog(HWND w, LPARAM found) {
    if (!IsWindowVisible(w) || ClassOf(w) != "#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

HWND FindDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Look(HWND dialog, DWORD thread, TSeen& seen) {
    seen.Found = true;
    seen.Caption = WindowText(dialog);
    GetWindowRect(dialog, &seen.Bounds);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        TControl control;
        control.Window = c;
        control.Class = ClassOf(c);
        control.Text = WindowText(c);
        control.Style = DWORD(GetWindowLongPtrA(c, GWL_STYLE));
        GetWindowRect(c, &control.Bounds);
        if ((control.Style & SS_TYPEMASK) == SS_ICON && control.Class == "Static")
            control.Icon = HICON(SendMessageA(c, STM_GETICON, 0, 0));
        seen.Controls.push_back(control);
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) seen.Focus = WindowText(info.hwndFocus);
    const UINT state = GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND);
    seen.CloseBoxEnabled = state != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void Act(HWND dialog, DWORD thread, const TSeen& seen, const TAction& action) {
    switch (action.What) {
    case TAction::Key: {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        HWND target = GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : dialog;
        PostMessageA(target, WM_KEYDOWN, action.Vk, 1);
        PostMessageA(target, WM_KEYUP, action.Vk, LPARAM(0xC0000001));
        break;
    }
    case TAction::Click:
        for (const auto& c : seen.Controls)
            if (c.Class == "Button" && c.Text == action.Button)
                PostMessageA(c.Window, BM_CLICK, 0, 0);
        break;
    case TAction::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

// Shows the dialog on this thread while a second thread looks at it and
// then acts, in order. Messages posted to one thread are handled in the
// order they were posted, so an action that has no effect shows up as the
// next action deciding the answer.
int Show(const std::string& text, uint8_t kind, uint16_t buttons,
         const std::vector<TAction>& actions, TSeen& seen) {
    const DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        HWND dialog = nullptr;
        while (!(dialog = FindDialog(thread)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!dialog) return;
        // Let it finish WM_INITDIALOG and its first paint.
        DWORD_PTR ignored;
        SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
        Look(dialog, thread, seen);
        for (const auto& action : actions)
            Act(dialog, thread, seen, action);
    });
    const int answer = MessageDialog(text, kind, buttons);
    driver.join();
    return answer;
}

int Show(uint16_t buttons, const std::vector<TAction>& actions) {
    TSeen seen;
    return Show("Question?", mtConfirmation, buttons, actions, seen);
}
} // namespace

// ---------------------------------------------------------------- kinds and buttons

TEST(MessageDialog, EachKindHasItsCaptionAndSystemIcon) {
    const struct {
        uint8_t Kind;
        const char* Caption;
        LPCSTR Icon;
    } kinds[] = {{mtWarning, "Warning", IDI_EXCLAMATION},
                 {mtError, "Error", IDI_HAND},
                 {mtInformation, "Information", IDI_ASTERISK},
                 {mtConfirmation, "Confirm", IDI_QUESTION}};
    for (const auto& k : kinds) {
        TSeen seen;
        EXPECT_EQ(Show("Text", k.Kind, mbOK, {Click("OK")}, seen), mrOk);
        ASSERT_TRUE(seen.Found);
        EXPECT_EQ(seen.Caption, k.Caption);
        const TControl* icon = seen.Find("Static");
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->Icon, LoadIconA(nullptr, k.Icon)) << k.Caption;
    }
}

TEST(MessageDialog, ButtonsStandLeftToRightInBitOrder) {
    TSeen seen;
    Show("All of them", mtWarning, 127, {Click("Cancel")}, seen);
    ASSERT_TRUE(seen.Found);
    const std::vector<std::string> expected = {"&Yes",   "&No",    "OK",     "Cancel",
                                               "&Abort", "&Retry", "&Ignore"};
    EXPECT_EQ(seen.Buttons(), expected);
    LONG previous = LONG_MIN;
    for (const auto& c : seen.Controls) {
        if (c.Class != "Button") continue;
        EXPECT_GT(c.Bounds.left, previous) << c.Text;
        previous = c.Bounds.left;
    }
}

TEST(MessageDialog, EachButtonAnswersItsNumber) {
    const struct {
        const char* Caption;
        int Answer;
    } buttons[] = {{"&Yes", 6},   {"&No", 7},    {"OK", 1},     {"Cancel", 2},
                   {"&Abort", 3}, {"&Retry", 4}, {"&Ignore", 5}};
    for (const auto& b : buttons)
        EXPECT_EQ(Show(uint16_t(127), {Click(b.Caption)}), b.Answer) << b.Caption;
}

TEST(MessageDialog, AnEmptyButtonSetStillGivesAWayOut) {
    TSeen seen;
    EXPECT_EQ(Show("Nothing to press?", mtWarning, 0, {Key(VK_RETURN)}, seen), mrOk);
    EXPECT_EQ(seen.Buttons(), std::vector<std::string>{"OK"});
}

// ---------------------------------------------------------------- Enter and Esc

TEST(MessageDialog, EnterPressesOkElseYesElseRetry) {
    EXPECT_EQ(Show(mbOK | mbCancel, {Key(VK_RETURN)}), mrOk);
    EXPECT_EQ(Show(mbYes | mbNo | mbOK, {Key(VK_RETURN)}), mrOk);
    EXPECT_EQ(Show(mbYes | mbNo, {Key(VK_RETURN)}), mrYes);
    EXPECT_EQ(Show(mbYes | mbRetry, {Key(VK_RETURN)}), mrYes);
    EXPECT_EQ(Show(mbAbort | mbRetry | mbIgnore, {Key(VK_RETURN)}), mrRetry);
}

TEST(MessageDialog, TheDefaultButtonHasTheFocus) {
    TSeen seen;
    Show("Retry?", mtError, mbAbort | mbRetry | mbIgnore, {Click("&Abort")}, seen);
    EXPECT_EQ(seen.Focus, "&Retry");
    const TControl* retry = nullptr;
    for (const auto& c : seen.Controls)
        if (c.Text == "&Retry") retry = &c;
    ASSERT_NE(retry, nullptr);
    EXPECT_EQ(retry->Style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
}

TEST(MessageDialog, WithoutADefaultButtonTheFocusStartsOnTheFirstButton) {
    // The quit question: Enter presses the focused button, as anywhere.
    TSeen seen;
    EXPECT_EQ(Show("Quit?", mtConfirmation, mbNo | mbAbort, {Key(VK_RETURN)}, seen), mrNo);
    EXPECT_EQ(seen.Focus, "&No");
    TSeen tabbed;
    EXPECT_EQ(Show("Quit?", mtConfirmation, mbNo | mbAbort, {Key(VK_TAB), Key(VK_RETURN)}, tabbed),
              mrAbort);
}

TEST(MessageDialog, EscPressesCancelElseNoElseOk) {
    EXPECT_EQ(Show(mbYes | mbNo | mbCancel, {Key(VK_ESCAPE)}), mrCancel);
    EXPECT_EQ(Show(mbOK | mbCancel, {Key(VK_ESCAPE)}), mrCancel);
    EXPECT_EQ(Show(mbYes | mbNo, {Key(VK_ESCAPE)}), mrNo);
    EXPECT_EQ(Show(mbNo | mbAbort, {Key(VK_ESCAPE)}), mrNo);
    EXPECT_EQ(Show(mbNo | mbOK, {Key(VK_ESCAPE)}), mrNo);
    EXPECT_EQ(Show(mbOK, {Key(VK_ESCAPE)}), mrOk);
}

TEST(MessageDialog, EscAndTheCloseBoxDoNothingWithoutCancelNoOrOk) {
    TSeen seen;
    // Were Esc or the close box taken, the dialog would end before the
    // click on Ignore arrives.
    EXPECT_EQ(Show("Cannot create file", mtError, mbAbort | mbRetry | mbIgnore,
                   {Key(VK_ESCAPE), CloseBox(), Click("&Ignore")}, seen),
              mrIgnore);
    EXPECT_FALSE(seen.CloseBoxEnabled);
}

TEST(MessageDialog, TheCloseBoxActsLikeEsc) {
    EXPECT_EQ(Show(mbNo | mbAbort, {CloseBox()}), mrNo);
    EXPECT_EQ(Show(mbYes | mbNo | mbCancel, {CloseBox()}), mrCancel);
}

// ---------------------------------------------------------------- text and place

TEST(MessageDialog, TextIsShownAsGivenWithLineBreaksAmpersandsAndAnyLetters) {
    // A path with a name outside the code page ("Łódź") among them.
    const std::string text = "Cannot create file \"C:\\A & B\\\xC5\x81\xC3\xB3\x64\xC5\xBA.txt\"."
                             "\rSecond line.\r\rFourth.";
    TSeen seen;
    Show(text, mtError, mbOK, {Click("OK")}, seen);
    const TControl* label = seen.Find("Static", 1);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Text, text);
    EXPECT_TRUE(label->Style & SS_NOPREFIX);
    // Four lines high at least.
    HDC dc = GetDC(nullptr);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    ReleaseDC(nullptr, dc);
    EXPECT_GE(label->Bounds.bottom - label->Bounds.top, 3 * tm.tmHeight);
}

TEST(MessageDialog, LongTextWrapsAtHalfTheScreenWidthAndTheDialogIsCentred) {
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "Another word or two. ";
    TSeen seen;
    Show(text, mtInformation, mbOK, {Click("OK")}, seen);
    const TControl* label = seen.Find("Static", 1);
    ASSERT_NE(label, nullptr);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const LONG width = label->Bounds.right - label->Bounds.left;
    EXPECT_LE(width, screenWidth / 2);
    EXPECT_GT(width, screenWidth / 3); // it did use the room
    EXPECT_GT(label->Bounds.bottom - label->Bounds.top, 40);

    const RECT& r = seen.Bounds;
    EXPECT_LE(std::abs((r.left + r.right) / 2 - screenWidth / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - screenHeight / 2), 1);
}

TEST(MessageDialog, ShortTextKeepsTheDialogNarrow) {
    TSeen seen;
    Show("Done.", mtInformation, mbOK, {Click("OK")}, seen);
    EXPECT_LT(seen.Bounds.right - seen.Bounds.left, GetSystemMetrics(SM_CXSCREEN) / 3);
}
