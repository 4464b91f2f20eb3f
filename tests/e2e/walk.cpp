// Walks through setup.exe with its default choices, as a person who only
// ever presses the way forward would, and saves a screenshot of every new
// screen. Used by "make run" when there is no display to show it on.
//
//   walk.exe SETUP.EXE SCREENS-FOLDER [ARGUMENTS FOR SETUP.EXE...]
//
// A screen is a wizard page, told apart by its title (the label in the top
// banner), or any other window together with the captions it shows.
// When no way forward is left the walker closes the window and answers the
// quit question with "&Abort". Every wait is bounded, so the walk ends by
// itself; the exit code is 0 when setup.exe ended with 0 and nothing failed.
#include "e2e.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

using namespace e2e;

namespace {
constexpr DWORD kWalkLimit = 5 * 60 * 1000; // the whole walk
constexpr DWORD kChangeLimit = 15 * 1000;   // for a screen to change after an action
constexpr DWORD kBusyLimit = 3 * 60 * 1000; // for a disabled way forward (copying files)
constexpr int kMaxVisits = 3;               // a screen seen more often is a loop

// Captions that move on, best first; "Cancel" and "&Abort" are not among them.
const char* const kForward[] = {"&Next >", "&Finish", "OK", "&Yes"};

bool Failed = false;

void ReportFailure(const std::string& message) {
    std::fprintf(stderr, "walk: %s\n", message.c_str());
    Failed = true;
}

bool IsStaticOrButton(HWND control) {
    const std::string kind = ClassName(control);
    return lstrcmpiA(kind.c_str(), "Static") == 0 || lstrcmpiA(kind.c_str(), "Button") == 0;
}

HWND FindButton(HWND window, const std::string& caption) {
    for (HWND control : Controls(window))
        if (lstrcmpiA(ClassName(control).c_str(), "Button") == 0 && Text(control) == caption)
            return control;
    return nullptr;
}

bool IsWizard(HWND window) {
    return FindButton(window, "&Next >") || FindButton(window, "&Finish") ||
           FindButton(window, "< &Back");
}

struct Screen {
    HWND window = nullptr;
    std::string key;  // what makes it another screen
    std::string name; // for people: page title, or caption and text
};

Screen Look(HWND window) {
    Screen screen;
    screen.window = window;
    const std::string title = IsWizard(window) ? BannerTitle(window) : "";
    if (!title.empty()) {
        // A wizard page stays the same page while its labels change
        // (progress, disk space).
        screen.name = title;
        screen.key = Text(window) + "\n" + title;
        return screen;
    }
    const Message message = ReadMessage(window);
    screen.name = message.text.empty() ? message.caption : message.caption + " " + message.text;
    std::vector<std::string> texts;
    for (HWND control : Controls(window))
        if (IsVisible(control) && IsStaticOrButton(control)) texts.push_back(Text(control));
    std::sort(texts.begin(), texts.end());
    screen.key = Text(window);
    for (const auto& text : texts)
        screen.key += "\n" + text;
    return screen;
}

// "Choose Destination Folder" -> "choose-destination", at most 24 letters,
// cut between words.
std::string ShortName(const std::string& name) {
    std::string out, word;
    bool full = false;
    auto flush = [&] {
        if (!word.empty() && !full) {
            if (out.empty())
                out = word.substr(0, 24);
            else if (out.size() + 1 + word.size() <= 24)
                out += "-" + word;
            else
                full = true;
        }
        word.clear();
    };
    for (unsigned char c : name) {
        if (std::isalnum(c))
            word.push_back(char(std::tolower(c)));
        else
            flush();
    }
    flush();
    return out.empty() ? "window" : out;
}

// The window a person would be looking at: the topmost one that takes
// input (a modal dialog disables the window below it).
HWND FrontWindow(const Process& setup) {
    for (HWND window : setup.Windows())
        if (IsEnabled(window)) return window;
    return nullptr;
}

HWND ForwardButton(HWND window, bool* disabledOnly) {
    *disabledOnly = false;
    for (const char* caption : kForward) {
        HWND button = FindButton(window, caption);
        if (!button || !IsVisible(button)) continue;
        if (IsEnabled(button)) return button;
        *disabledOnly = true;
    }
    return nullptr;
}

// Waits until the program shows something else than `key` (or ends).
bool WaitForChange(const Process& setup, const std::string& key, DWORD limit) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limit) {
        if (setup.Exited()) return true;
        HWND front = FrontWindow(setup);
        if (front && Settle(front) && Look(front).key != key) return true;
        Sleep(100);
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: walk SETUP.EXE SCREENS-FOLDER [ARGUMENTS...]\n");
        return 2;
    }
    SetFailureHandler(ReportFailure);
    const std::string screens = argv[2];
    if (!MakeFolders(screens)) {
        std::fprintf(stderr, "walk: cannot create %s\n", screens.c_str());
        return 2;
    }
    Launch launch;
    for (int i = 3; i < argc; ++i)
        launch.args.push_back(argv[i]);

    Process setup(argv[1], launch);
    if (!setup.Started()) return 1;
    setup.WaitDialogOrExit(nullptr);

    const DWORD start = GetTickCount();
    std::map<std::string, int> visits;
    int shots = 0;
    bool closing = false;
    while (!setup.Exited() && !Failed) {
        if (GetTickCount() - start > kWalkLimit) {
            ReportFailure("the walk takes too long; " + setup.Describe());
            break;
        }
        HWND front = FrontWindow(setup);
        if (!front || !Settle(front)) {
            Sleep(100);
            continue;
        }
        const Screen screen = Look(front);
        if (screen.name.empty()) {
            // Nothing to read: a window of the system's that comes and goes
            // while the program works (seen on a loaded machine), not a screen.
            Sleep(100);
            continue;
        }
        if (visits[screen.key] == 0) {
            char number[8];
            std::snprintf(number, sizeof number, "%02d-", shots + 1);
            const std::string file = number + ShortName(screen.name) + ".png";
            const std::string path = JoinPath(screens, file);
            Screenshot(front, path);
            if (!IsWindow(front) || Look(front).key != screen.key) {
                // The screen changed while it was drawn (a copy that ends
                // just then): the picture shows another screen than its name.
                DeleteFileA(path.c_str());
                continue;
            }
            ++shots;
            std::string shown = screen.name.substr(0, 72);
            std::replace_if(
                shown.begin(), shown.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            std::printf("%s  %s\n", file.c_str(), shown.c_str());
            std::fflush(stdout);
        }
        ++visits[screen.key];

        bool waitForIt = false;
        HWND forward = ForwardButton(front, &waitForIt);
        HWND abort = closing ? FindButton(front, "&Abort") : nullptr;
        if (abort) {
            Click(abort);
        } else if (forward && visits[screen.key] <= kMaxVisits) {
            Click(forward);
        } else if (waitForIt && visits[screen.key] <= kMaxVisits) {
            // Busy (files being copied): the way forward opens by itself.
            if (!WaitForChange(setup, screen.key, kBusyLimit))
                ReportFailure("\"" + screen.name + "\" stays without a way forward");
            continue;
        } else {
            // Nothing leads on (or it goes round in circles): leave.
            closing = true;
            Close(front);
        }
        if (!WaitForChange(setup, screen.key, kChangeLimit))
            ReportFailure("nothing happens on \"" + screen.name + "\"; " + setup.Describe());
    }

    const int code = setup.WaitExit(kChangeLimit);
    std::printf("setup.exe ended with exit code %d after %d screens\n", code, shots);
    return code == 0 && !Failed ? 0 : 1;
}
