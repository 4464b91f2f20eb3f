#include "system/running_instance.h"

#include "base/locale_text.h"
#include "base/paths.h"
#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "base/wide_paths.h"

#include <windows.h>

#include <tlhelp32.h>

namespace {
BOOL CALLBACK FindMarkedWindow(HWND window, LPARAM found) {
    if (GetPropA(window, kRunningMarker) == nullptr) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE; // one is enough
}

// PROCESS_QUERY_LIMITED_INFORMATION, which the headers for Windows 2000 lack:
// enough for the image's name, also of another user's process (Vista on).
constexpr DWORD kQueryLimited = 0x1000;

// The full path of a process's program file, or empty when this user may
// not ask (another user's process on older systems).
std::string ImagePath(DWORD processId) {
    using TQueryName = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    using TModuleName = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    static const auto queryName =
        LoadedFunction<TQueryName>("kernel32.dll", "QueryFullProcessImageNameW");
    wchar_t path[MAX_PATH * 2] = {};
    if (queryName) {
        TKernelHandle process(OpenProcess(kQueryLimited, FALSE, processId));
        DWORD size = MAX_PATH * 2;
        if (process && queryName(process.Get(), 0, path, &size)) return Utf8Text(path, size);
    }
    // Windows 2000 and XP.
    static const auto moduleName =
        FunctionIn<TModuleName>(LoadSystemLibrary("psapi.dll").Release(), "GetModuleFileNameExW");
    if (!moduleName) return std::string();
    TKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return std::string();
    const DWORD size = moduleName(process.Get(), nullptr, path, MAX_PATH * 2);
    return Utf8Text(path, size);
}

// Whether a process runs the program file `program`, in any session.
bool ProgramRuns(const std::string& program) {
    using TSnapshot = HANDLE(WINAPI*)(DWORD, DWORD);
    using TWalk = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
    // Windows NT 4.0 has no tool help.
    const auto snapshot = LoadedFunction<TSnapshot>("kernel32.dll", "CreateToolhelp32Snapshot");
    const auto first = LoadedFunction<TWalk>("kernel32.dll", "Process32FirstW");
    const auto next = LoadedFunction<TWalk>("kernel32.dll", "Process32NextW");
    if (!snapshot || !first || !next) return false;
    const TFileHandle processes(snapshot(TH32CS_SNAPPROCESS, 0));
    if (!processes) return false;
    const size_t slash = program.find_last_of('\\');
    const std::string name = slash == std::string::npos ? program : program.substr(slash + 1);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(processes.Get(), &entry); more; more = next(processes.Get(), &entry)) {
        // The name alone first: asking for the path opens the process.
        if (!SameName(Utf8Text(entry.szExeFile), name) ||
            entry.th32ProcessID == GetCurrentProcessId())
            continue;
        if (SameName(ImagePath(entry.th32ProcessID), program)) return true;
    }
    return false;
}
} // namespace

bool IsWordProcessorRunning(const std::string& destDir) {
    // EnumWindows sees top-level windows only; a failed enumeration leaves
    // the answer at "not running".
    bool found = false;
    EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&found));
    if (found || destDir.empty()) return found;
    // Windows of other sessions and desktops are out of sight (the setup
    // program may run as SYSTEM for a deployment tool): the program file
    // of the destination, running anywhere, counts as well.
    const std::string full = FullPathName(JoinPath(destDir, "kel.exe"));
    return !full.empty() && ProgramRuns(full);
}
