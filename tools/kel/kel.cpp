// kel.exe: a stand-in for the installed word processor, so that the setup
// program can be tried and tested without the real one.
//
// - Every start appends its command line and CR LF to "kel-starts.log" in
//   the user's temporary folder, so tests can see what the setup program
//   started and with which arguments.
// - "-assoc adpr..." (register document types) and "-ui" (uninstall): shows
//   nothing and exits at once.
// - Anything else: a window titled "Quorvale Word Processor" that carries
//   the running marker "1.x Kestrovane" for as long as it is open, and
//   names the data folder it found: the user's own ("Quorvale" in the
//   user's application data, where an installation for that user alone
//   keeps it) when it holds "kel_common.dat", else that of every user.
//
// Wide throughout, so that it starts from, and finds its data in, folders
// named outside the code page; the log holds the command line as UTF-8.
#include <windows.h>

namespace {

const wchar_t kTitle[] = L"Quorvale Word Processor";
const wchar_t kMarker[] = L"1.x Kestrovane";
const wchar_t kClassName[] = L"QuorvaleStandIn";
const wchar_t kNote[] = L"This is a stand-in for Quorvale Word Processor, installed so that the "
                        L"setup program can be tried.\r\n\r\nClose this window to end it.";

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

void LogStart(const wchar_t* commandLine) {
    wchar_t path[MAX_PATH + 32];
    const DWORD n = GetTempPathW(MAX_PATH + 1, path);
    if (n == 0 || n > MAX_PATH) return;
    lstrcatW(path, L"kel-starts.log");
    // Append-only access makes each write land at the end of the file even
    // when several copies start at once; one write per line keeps lines whole.
    Handle log(CreateFileW(path, FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (log.get() == INVALID_HANDLE_VALUE) return;
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr) - 1;
    if (length < 0) return;
    HANDLE heap = GetProcessHeap();
    char* line = static_cast<char*>(HeapAlloc(heap, 0, SIZE_T(length) + 2));
    if (!line) return;
    WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, line, length + 1, nullptr, nullptr);
    line[length] = '\r';
    line[length + 1] = '\n';
    DWORD written;
    WriteFile(log.get(), line, DWORD(length) + 2, &written, nullptr);
    HeapFree(heap, 0, line);
}

// The arguments: the command line after the program name, which may be quoted.
const wchar_t* Arguments(const wchar_t* p) {
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
    while (*prefix && *text == *prefix) {
        ++text;
        ++prefix;
    }
    return *prefix == '\0';
}

// The application-data folder of the user (0x1A) or of every user (0x23),
// joined with "Quorvale\\", when it holds "kel_common.dat".
bool DataFolderOf(int csidl, wchar_t* folder) {
    using TGetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    const auto getFolderPath =
        shell ? reinterpret_cast<TGetFolderPath>(GetProcAddress(shell, "SHGetFolderPathW"))
              : nullptr;
    if (!getFolderPath || getFolderPath(nullptr, csidl, nullptr, 0, folder) != S_OK) return false;
    lstrcatW(folder, L"\\Quorvale\\");
    wchar_t marker[MAX_PATH + 32];
    lstrcpyW(marker, folder);
    lstrcatW(marker, L"kel_common.dat");
    return GetFileAttributesW(marker) != INVALID_FILE_ATTRIBUTES;
}

// The note, with the data folder found.
void NoteText(wchar_t* text) {
    wchar_t folder[MAX_PATH + 32] = {};
    lstrcpyW(text, kNote);
    lstrcatW(text, L"\r\n\r\nData folder: ");
    lstrcatW(text, DataFolderOf(0x1A, folder) || DataFolderOf(0x23, folder) ? folder : L"none");
}

// Calls that only ask the word processor to do some work without a window.
bool IsQuietCall(const wchar_t* args) {
    if (StartsWith(args, L"-assoc adpr")) return true;
    int n = lstrlenW(args);
    while (n > 0 && (args[n - 1] == ' ' || args[n - 1] == '\t'))
        --n;
    return n == 3 && StartsWith(args, L"-ui");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        // The setup program looks for this property to tell that we run.
        SetPropW(window, kMarker, reinterpret_cast<HANDLE>(1));
        wchar_t text[sizeof kNote / sizeof kNote[0] + MAX_PATH + 64];
        NoteText(text);
        HWND note = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0,
                                    window, nullptr, nullptr, nullptr);
        SendMessageW(note, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return 0;
    }
    case WM_SIZE:
        if (HWND note = GetWindow(window, GW_CHILD))
            MoveWindow(note, 16, 16, LOWORD(lParam) - 32, HIWORD(lParam) - 32, TRUE);
        return 0;
    case WM_DESTROY:
        RemovePropW(window, kMarker);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const wchar_t* commandLine = GetCommandLineW();
    LogStart(commandLine);
    if (IsQuietCall(Arguments(commandLine))) return 0;

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) return 1;
    HWND window = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 220, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return int(msg.wParam);
}
