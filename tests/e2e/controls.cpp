// Reading and working the controls of another process's windows, and its
// message dialogs.
#include "e2e.h"

#include <algorithm>

namespace e2e {

namespace {
// A program that does not answer within this time is busy or hung; reading
// a text falls back to what the system keeps.
constexpr UINT kAnswerTimeout = 5000;

BOOL CALLBACK CollectChild(HWND window, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
    return TRUE;
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const auto& part : parts)
        out += (out.empty() ? "" : separator) + part;
    return out;
}
} // namespace

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout,
                             &length)) {
        wchar_t text[1024] = L"";
        GetWindowTextW(window, text, 1024);
        return Utf8(text);
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kAnswerTimeout, &copied))
        return "";
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return Utf8(text);
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsEnabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

bool IsVisible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &state);
    return state == BST_CHECKED;
}

std::string StripAccelerators(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 == caption.size()) break;
            ++i; // "&&" stands for one "&"; "&x" for "x"
        }
        out.push_back(caption[i]);
    }
    return out;
}

std::vector<HWND> Controls(HWND top) {
    std::vector<HWND> controls;
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

HWND TryFindControl(HWND top, const std::string& caption) {
    const std::string plain = StripAccelerators(caption);
    // Best first: the exact text on a visible control, then the text without
    // accelerator marks, then the same on hidden controls (other pages).
    HWND best = nullptr;
    int bestRank = 4;
    for (HWND control : Controls(top)) {
        const std::string text = Text(control);
        int rank;
        if (text == caption)
            rank = 0;
        else if (StripAccelerators(text) == plain)
            rank = 1;
        else
            continue;
        if (!IsVisible(control)) rank += 2;
        if (rank < bestRank) {
            best = control;
            bestRank = rank;
        }
    }
    return best;
}

HWND FindControl(HWND top, const std::string& caption) {
    HWND control = TryFindControl(top, caption);
    if (!control)
        Fail("no control \"" + caption + "\" in \"" + Text(top) + "\"; its texts: \"" +
             Join(VisibleTexts(top), "\", \"") + "\"");
    return control;
}

HWND FindControlByClass(HWND top, const std::string& className, int index) {
    int seen = 0;
    for (HWND control : Controls(top))
        if (lstrcmpiA(ClassName(control).c_str(), className.c_str()) == 0 && seen++ == index)
            return control;
    Fail("no control number " + std::to_string(index) + " of class " + className + " in \"" +
         Text(top) + "\"");
    return nullptr;
}

std::vector<std::string> VisibleTexts(HWND top) {
    std::vector<std::string> texts;
    for (HWND control : Controls(top)) {
        if (!IsVisible(control)) continue;
        std::string text = Text(control);
        if (!text.empty()) texts.push_back(text);
    }
    return texts;
}

bool Settle(HWND window, DWORD timeout) {
    // A sent message is handled before any posted one, whenever the thread
    // asks for its next message. So a round trip of WM_NULL proves that the
    // thread is in its message loop, not that it took the posted message
    // yet; it takes it as soon as it asks again with nothing sent pending.
    // Pausing between round trips gives it that moment; a round trip after
    // it is handled only once the posted message is (or inside the modal
    // loop it opened). Wine offers no way to see another thread's queue.
    for (int i = 0; i < 3; ++i) {
        DWORD_PTR result;
        if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result))
            return false;
        Sleep(10);
    }
    return true;
}

bool Click(HWND button) {
    const std::string text = Text(button);
    if (!IsVisible(button)) {
        Fail("the button \"" + text + "\" is hidden");
        return false;
    }
    if (!IsEnabled(button)) {
        Fail("the button \"" + text + "\" is disabled");
        return false;
    }
    // Posted: a click that opens a modal dialog does not return until the
    // dialog closes.
    PostMessageA(button, BM_CLICK, 0, 0);
    Settle(button);
    return true;
}

bool Press(HWND top, const std::string& caption) {
    HWND button = FindControl(top, caption);
    return button && Click(button);
}

void Close(HWND top) {
    PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle(top);
}

void Key(HWND window, UINT vk) {
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) target = info.hwndFocus;
    const LPARAM scan = LPARAM(MapVirtualKeyA(vk, 0)) << 16;
    PostMessageA(target, WM_KEYDOWN, vk, scan | 1);
    Settle(target);
    PostMessageA(target, WM_KEYUP, vk, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31));
    Settle(target);
}

void Type(HWND control, const std::string& text) {
    // As the keyboard delivers a character outside the code page: its UTF-16
    // units, a pair for one beyond U+FFFF.
    for (wchar_t c : Wide(text)) {
        PostMessageW(control, WM_CHAR, c, 1);
        Settle(control);
    }
}

Message ReadMessage(HWND dialog) {
    Message message;
    message.window = dialog;
    message.caption = Text(dialog);
    std::vector<std::string> lines;
    for (HWND control : Controls(dialog)) {
        if (!IsVisible(control)) continue;
        const std::string kind = ClassName(control);
        if (lstrcmpiA(kind.c_str(), "Button") == 0) {
            message.buttons.push_back(Text(control));
        } else if (lstrcmpiA(kind.c_str(), "Static") == 0) {
            std::string text = Text(control);
            if (!text.empty()) lines.push_back(text);
        }
    }
    message.text = Join(lines, "\n");
    return message;
}

Message WaitMessage(const Process& process, HWND besides, DWORD timeout) {
    HWND dialog = process.WaitDialog(besides, timeout);
    if (!dialog) return {};
    Settle(dialog);
    return ReadMessage(dialog);
}

Message WaitStartupMessage(const Process& process, DWORD timeout) {
    const DWORD start = GetTickCount();
    do {
        // A wizard on its way out may show no controls any more, and a
        // message on its way in buttons without their captions yet.
        for (HWND window : process.Windows()) {
            Settle(window);
            Message message = ReadMessage(window);
            const auto& buttons = message.buttons;
            if (!buttons.empty() &&
                std::find(buttons.begin(), buttons.end(), "&Next >") == buttons.end() &&
                std::find(buttons.begin(), buttons.end(), "") == buttons.end())
                return message;
        }
        Sleep(50);
    } while (!process.Exited() && GetTickCount() - start < timeout);
    Fail("no message at the start; " + process.Describe());
    return {};
}

bool Answer(const Message& message, const std::string& button) {
    if (!message.window) {
        Fail("no message to answer with \"" + button + "\"");
        return false;
    }
    if (!Press(message.window, button)) return false;
    if (!WaitGone(message.window)) {
        Fail("the message \"" + message.text + "\" stays after \"" + button + "\"");
        return false;
    }
    return true;
}

Message CloseWizard(const Process& process, HWND wizard) {
    Close(wizard);
    HWND dialog = process.WaitDialogOrExit(wizard);
    if (!dialog) return {};
    Settle(dialog);
    const Message question = ReadMessage(dialog);
    for (const auto& button : question.buttons)
        if (button == "&Abort") Answer(question, button);
    return question;
}

std::string BannerTitle(HWND wizard) {
    POINT origin{0, 0};
    ClientToScreen(wizard, &origin);
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    const LONG bannerBottom = origin.y + MulDiv(46, dpi, 96);
    for (HWND control : Controls(wizard)) {
        RECT r;
        if (!IsVisible(control) || lstrcmpiA(ClassName(control).c_str(), "Static") != 0 ||
            !GetWindowRect(control, &r) || r.top >= bannerBottom)
            continue;
        const std::string text = Text(control);
        if (!text.empty()) return text;
    }
    return "";
}

} // namespace e2e
