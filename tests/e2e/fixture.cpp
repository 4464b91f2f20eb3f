// A small program for the harness's own tests, so that they do not depend
// on what setup.exe shows at the moment:
//   fixture.exe message CAPTION TEXT FLAGS  a system message box; exit code:
//                                           the answer (IDOK, IDNO, ...)
//   fixture.exe report FILE [ARGS...]       writes its arguments, the variable
//                                           QV_FIXTURE and its current folder
//                                           to FILE, one a line; exit code 0
//   fixture.exe dialog [confirm-close]      a dialog with a few controls (below);
//                                           with confirm-close its close box
//                                           asks first (Abort closes)
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
enum : int { kNameEdit = 100, kRemember, kAsk, kLater, kSecret, kAnswer };

// Exit codes of the dialog: OK gives the state bits, Cancel and the close
// box give fixed numbers.
constexpr int kRememberChecked = 1, kNameTyped = 2, kCancelled = 100, kClosed = 101;

struct EmptyTemplate {
    DLGTEMPLATE tmpl;
    WORD menu, windowClass, title;
};

void AddControl(HWND dialog, const char* kind, const char* text, DWORD style, int id, int x, int y,
                int w, int h) {
    HWND control = CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog,
                                   HMENU(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        SetWindowTextA(dialog, "Fixture");
        SetWindowPos(dialog, nullptr, 100, 100, 320, 220, SWP_NOZORDER);
        AddControl(dialog, "STATIC", "&Name:", 0, -1, 10, 12, 60, 16);
        AddControl(dialog, "EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kNameEdit, 80, 10,
                   200, 20);
        AddControl(dialog, "BUTTON", "&Remember", WS_TABSTOP | BS_AUTOCHECKBOX, kRemember, 80, 40,
                   120, 18);
        AddControl(dialog, "BUTTON", "&Ask", WS_TABSTOP, kAsk, 10, 70, 80, 24);
        AddControl(dialog, "BUTTON", "&Later", WS_TABSTOP | WS_DISABLED, kLater, 100, 70, 80, 24);
        AddControl(dialog, "BUTTON", "&Secret", WS_TABSTOP, kSecret, 190, 70, 80, 24);
        ShowWindow(GetDlgItem(dialog, kSecret), SW_HIDE);
        AddControl(dialog, "STATIC", "", 0, kAnswer, 10, 104, 200, 16);
        AddControl(dialog, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 120, 150, 80, 24);
        AddControl(dialog, "BUTTON", "Cancel", WS_TABSTOP, IDCANCEL, 210, 150, 80, 24);
        SetFocus(GetDlgItem(dialog, kNameEdit));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kAsk: {
            const int answer =
                MessageBoxA(dialog, "Go on?", "Question", MB_YESNO | MB_ICONQUESTION);
            SetDlgItemTextA(dialog, kAnswer, answer == IDYES ? "Said yes" : "Said no");
            return TRUE;
        }
        case IDOK: {
            char name[64] = "";
            GetDlgItemTextA(dialog, kNameEdit, name, sizeof name);
            int state = IsDlgButtonChecked(dialog, kRemember) == BST_CHECKED ? kRememberChecked : 0;
            if (std::strcmp(name, "typed text") == 0) state |= kNameTyped;
            EndDialog(dialog, state);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, kCancelled);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (GetWindowLongPtrA(dialog, DWLP_USER) &&
            MessageBoxA(dialog, "Quit?", "Confirm", MB_ABORTRETRYIGNORE) != IDABORT)
            return TRUE;
        EndDialog(dialog, kClosed);
        return TRUE;
    }
    return FALSE;
}

int Report(int argc, char** argv) {
    HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::string text;
    for (int i = 3; i < argc; ++i)
        text += std::string(argv[i]) + "\n";
    const char* variable = std::getenv("QV_FIXTURE");
    text += std::string("QV_FIXTURE=") + (variable ? variable : "(none)") + "\n";
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    text += std::string(folder) + "\n";
    DWORD written;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const int argc = __argc;
    char** argv = __argv;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "message" && argc == 5)
        return MessageBoxA(nullptr, argv[3], argv[2], UINT(std::strtoul(argv[4], nullptr, 0)));
    if (mode == "report" && argc >= 3) return Report(argc, argv);
    if (mode == "dialog") {
        EmptyTemplate t{};
        t.tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        const bool confirmClose = argc > 2 && std::strcmp(argv[2], "confirm-close") == 0;
        return int(DialogBoxIndirectParamA(instance, &t.tmpl, nullptr, DialogProc, confirmClose));
    }
    return 2;
}
