// Starting, watching and ending the program under test, and finding its
// top-level windows.
#include "e2e.h"

namespace e2e {

namespace {
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    // Backslashes are literal unless they precede a quote.
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

bool SameName(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The test program's environment with `changes` applied, as a block for
// CreateProcessW.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& changes) {
    std::vector<std::string> vars;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += lstrlenW(p) + 1)
            vars.push_back(Utf8(p));
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : changes) {
        bool replaced = false;
        for (auto& var : vars) {
            // Names like "=C:" (current folders per drive) start with "=".
            const size_t eq = var.find('=', 1);
            if (eq != std::string::npos && SameName(var.substr(0, eq), name)) {
                var = name + "=" + value;
                replaced = true;
            }
        }
        if (!replaced) vars.push_back(name + "=" + value);
    }
    std::wstring block;
    for (const auto& var : vars)
        block += Wide(var) + L'\0';
    return block + L'\0';
}

// Standard output and error of the program go to the null device: a child
// that held the test runner's pipe would keep ctest waiting after the test.
HANDLE OpenNull() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, OPEN_EXISTING, 0, nullptr);
}

struct FindArgs {
    DWORD process;
    std::vector<HWND>* windows;
    bool visibleOnly;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lp) {
    auto* args = reinterpret_cast<FindArgs*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == args->process && (!args->visibleOnly || IsWindowVisible(window)))
        args->windows->push_back(window);
    return TRUE;
}

std::vector<HWND> TopWindowsOf(DWORD process, bool visibleOnly) {
    std::vector<HWND> windows;
    FindArgs args{process, &windows, visibleOnly};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&args));
    return windows;
}

// A top-level caption as the system keeps it: no message to the program.
std::string Caption(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return Utf8(text);
}

// Polls `found` until it yields a window, the program ends or time runs out.
template <typename Find> HWND Poll(const Process& process, DWORD timeout, Find found, bool* ended) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = found()) return window;
        if (process.Exited()) {
            *ended = true;
            return nullptr;
        }
        if (GetTickCount() - start >= timeout) return nullptr;
        Sleep(50);
    }
}
} // namespace

Process::Process(const std::string& exe, const Launch& launch) : name_(FileName(exe)) {
    UnmanagedWindows();
    DesktopOutsideJobs();
    std::string commandLine = Quote(exe);
    for (const auto& arg : launch.args)
        commandLine += " " + Quote(arg);
    std::wstring env = EnvironmentBlock(launch.env);
    std::wstring wideCommandLine = Wide(commandLine);
    const std::wstring wideExe = Wide(exe), dir = Wide(launch.dir);

    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_)
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    HANDLE null = OpenNull();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring desktop = Wide(launch.desktop);
    if (!desktop.empty()) startup.lpDesktop = &desktop[0];
    if (null != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = null;
    }
    PROCESS_INFORMATION info{};
    BOOL created = FALSE;
    DWORD error = 0;
    // Wine on a loaded machine now and then fails a start with an internal
    // error before the program ran any of its code: tried again, a little
    // later, as a person would.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt) Sleep(500);
        created = CreateProcessW(wideExe.c_str(), &wideCommandLine[0], nullptr, nullptr,
                                 null != INVALID_HANDLE_VALUE,
                                 CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                                     (launch.holdFirstThread ? DEBUG_ONLY_THIS_PROCESS : 0),
                                 &env[0], dir.empty() ? nullptr : dir.c_str(), &startup, &info);
        error = GetLastError();
        if (created || error != ERROR_INTERNAL_ERROR) break;
    }
    if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
    if (!created) {
        Fail("cannot start " + commandLine + " (error " + std::to_string(error) + ")");
        return;
    }
    if (job_) AssignProcessToJobObject(job_, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    if (launch.holdFirstThread) HoldFirstThread();
}

// As the program's debugger, until a thread that starts in the program's
// own code reports its start: that thread is suspended before it runs, and
// the program let go. (Wine may start threads of its own in the process.)
void Process::HoldFirstThread() {
    DebugSetProcessKillOnExit(FALSE);
    uintptr_t imageStart = 0, imageEnd = 0;
    DEBUG_EVENT event;
    bool ended = false;
    while (!held_ && !ended && WaitForDebugEvent(&event, kWait)) {
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT: {
            const auto& created = event.u.CreateProcessInfo;
            if (created.hFile) CloseHandle(created.hFile);
            imageStart = reinterpret_cast<uintptr_t>(created.lpBaseOfImage);
            IMAGE_DOS_HEADER dos{};
            IMAGE_NT_HEADERS nt{};
            if (ReadProcessMemory(created.hProcess, created.lpBaseOfImage, &dos, sizeof dos,
                                  nullptr) &&
                ReadProcessMemory(created.hProcess,
                                  static_cast<char*>(created.lpBaseOfImage) + dos.e_lfanew, &nt,
                                  sizeof nt, nullptr))
                imageEnd = imageStart + nt.OptionalHeader.SizeOfImage;
            break;
        }
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case CREATE_THREAD_DEBUG_EVENT: {
            const auto start = reinterpret_cast<uintptr_t>(event.u.CreateThread.lpStartAddress);
            // The handle belongs to the debugging; ours outlives it.
            if (start >= imageStart && start < imageEnd &&
                DuplicateHandle(GetCurrentProcess(), event.u.CreateThread.hThread,
                                GetCurrentProcess(), &held_, 0, FALSE, DUPLICATE_SAME_ACCESS))
                SuspendThread(held_);
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // The loader's breakpoint is ours; anything else the program's.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            ended = true;
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    DebugActiveProcessStop(id_);
    if (!held_) Fail(name_ + " started no thread of its own");
}

bool Process::ResumeHeld() {
    if (!held_) return false;
    ResumeThread(held_);
    CloseHandle(held_);
    held_ = nullptr;
    return true;
}

Process::~Process() {
    Kill();
    if (held_) CloseHandle(held_);
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
}

bool Process::Running() const {
    return process_ && !Exited(0);
}

bool Process::Exited(DWORD timeout) const {
    return process_ && WaitForSingleObject(process_, timeout) == WAIT_OBJECT_0;
}

bool Process::AllExited(DWORD timeout) const {
    if (!Exited(timeout)) return false;
    if (!job_) return true;
    const DWORD start = GetTickCount();
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts{};
        if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &counts,
                                       sizeof counts, nullptr))
            return false;
        if (counts.ActiveProcesses == 0) return true;
        if (GetTickCount() - start >= timeout) return false;
        Sleep(50);
    }
}

void Process::Kill() {
    if (!process_) return;
    // The job also ends whatever the program started.
    if (job_) TerminateJobObject(job_, 1);
    if (!Exited(0)) TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
}

int Process::WaitExit(DWORD timeout) {
    if (!process_) return -1;
    if (!Exited(timeout)) {
        Fail(name_ + " did not end within " + std::to_string(timeout) + " ms; " + Describe());
        Kill();
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return int(code);
}

std::vector<HWND> Process::Windows() const {
    std::vector<HWND> windows = TopWindowsOf(id_, true);
    // Tool tips are top-level windows too, but nothing to answer.
    for (auto it = windows.begin(); it != windows.end();)
        it = ClassName(*it) == "tooltips_class32" ? windows.erase(it) : it + 1;
    return windows;
}

HWND Process::WaitWindow(const std::string& caption, DWORD timeout) const {
    bool ended = false;
    HWND window = Poll(
        *this, timeout,
        [&]() -> HWND {
            for (HWND w : Windows())
                if (Caption(w) == caption) return w;
            return nullptr;
        },
        &ended);
    if (!window)
        Fail("no window \"" + caption + "\" of " + name_ +
             (ended ? ": the program ended" : " within " + std::to_string(timeout) + " ms") + "; " +
             Describe());
    return window;
}

HWND Process::WaitDialogOrExit(HWND besides, DWORD timeout) const {
    bool ended = false;
    HWND window = Poll(
        *this, timeout,
        [&]() -> HWND {
            for (HWND w : Windows())
                if (w != besides) return w;
            return nullptr;
        },
        &ended);
    if (!window && !ended)
        Fail("no dialog of " + name_ + " within " + std::to_string(timeout) + " ms; " + Describe());
    return window;
}

HWND Process::WaitDialog(HWND besides, DWORD timeout) const {
    HWND window = WaitDialogOrExit(besides, timeout);
    if (!window && Exited()) Fail("no dialog of " + name_ + ": the program ended; " + Describe());
    return window;
}

std::string Process::Describe() const {
    std::string text;
    if (Exited()) {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        text = "exit code " + std::to_string(code) + ", ";
    }
    std::string list;
    for (HWND w : TopWindowsOf(id_, false)) {
        if (!list.empty()) list += ", ";
        list +=
            "\"" + Caption(w) + "\" (" + ClassName(w) + (IsWindowVisible(w) ? ")" : ", hidden)");
    }
    return text + "windows: " + (list.empty() ? "none" : list);
}

bool WaitGone(HWND window, DWORD timeout) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= timeout) return false;
        Sleep(50);
    }
    return true;
}

} // namespace e2e
