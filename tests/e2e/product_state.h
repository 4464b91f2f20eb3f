// What an installation leaves outside its folders: the product's registry
// keys, the uninstall entry, the shortcuts, the stand-in word processor's
// record of its starts. Every wizard test starts from none of it and leaves
// none behind (a listener clears it around each test), because the settings
// of one run would otherwise decide the next run's choices.
#pragma once

#include "e2e.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace wizard {

constexpr char kProductKey[] = "Software\\Quorvale Word Processor";
constexpr char kInstallKey[] = "Software\\Quorvale Word Processor\\Install";
constexpr char kInternalKey[] = "Software\\Quorvale Word Processor\\Internal";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvale Word Processor";
constexpr char kLinkName[] = "Quorvale Word Processor.lnk";

inline std::string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return "";
    return e2e::Utf8(path);
}

// Whether the program under test is a 32-bit program (the shipped one)
// rather than its x86_64 build; asked of the file.
inline bool ProgramIs32Bit() {
    static const bool is32 = [] {
        DWORD type = SCS_32BIT_BINARY;
        return !GetBinaryTypeA(e2e::SetupExe().c_str(), &type) || type != SCS_64BIT_BINARY;
    }();
    return is32;
}

// On 64-bit Windows a 32-bit program sees the registry's 32-bit view
// (HKLM\Software is WOW6432Node) and "Program Files (x86)". The checks
// look where the program under test reads and writes, whatever the
// bitness of the test program itself.
inline REGSAM ProgramView() {
    return ProgramIs32Bit() ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}
inline std::string ProgramFilesFolder() {
    const bool testIs64Bit = sizeof(void*) == 8;
    return ShellFolder(ProgramIs32Bit() && testIs64Bit ? CSIDL_PROGRAM_FILESX86
                                                       : CSIDL_PROGRAM_FILES);
}

// The link in the Start menu's programs folder or on the desktop, for
// everyone or for the current user.
inline std::string LinkPath(bool desktop, bool common) {
    const int csidl = desktop ? (common ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY)
                              : (common ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    return e2e::JoinPath(ShellFolder(csidl), kLinkName);
}

// "kel-starts.log" in the temporary folder: a line per start of the
// stand-in word processor, its command line.
inline std::string StartsLogPath() {
    wchar_t folder[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH, folder);
    return e2e::JoinPath(e2e::Utf8(folder), "kel-starts.log");
}

// The top-level windows of one process.
inline std::vector<HWND> WindowsOfProcess(DWORD id) {
    struct TSearch {
        DWORD Process;
        std::vector<HWND> Found;
        static BOOL CALLBACK Each(HWND w, LPARAM p) {
            auto* search = reinterpret_cast<TSearch*>(p);
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == search->Process) search->Found.push_back(w);
            return TRUE;
        }
    };
    TSearch search{id, {}};
    EnumWindows(TSearch::Each, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Ends every running stand-in word processor, so that the next setup run
// does not find one. Started through the desktop's shell, it may still be
// on its way to its window when the setup program has ended: each kel.exe
// process is waited for until it is ready, then its windows are closed.
inline void CloseStandIns() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::vector<DWORD> standIns;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "kel.exe") == 0) standIns.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    for (DWORD id : standIns) {
        HANDLE process =
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
        if (!process) continue;
        WaitForInputIdle(process, 10000);
        for (HWND w : WindowsOfProcess(id))
            PostMessageA(w, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

inline void ClearProductState() {
    CloseStandIns();
    for (const char* key : {kInstallKey, kInternalKey, kProductKey, kUninstallKey})
        RegDeleteKeyExA(HKEY_CURRENT_USER, key, ProgramView(), 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, ProgramView(), 0);
    for (bool desktop : {false, true})
        for (bool common : {false, true})
            DeleteFileW(e2e::Wide(LinkPath(desktop, common)).c_str());
    DeleteFileW(e2e::Wide(StartsLogPath()).c_str());
}

class TProductStateCleaner : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ClearProductState(); }
    void OnTestEnd(const ::testing::TestInfo&) override { ClearProductState(); }
};

inline const bool kProductStateCleared = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TProductStateCleaner);
    return true;
}();

} // namespace wizard

namespace wizard {

// A registry value as stored; texts (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// in UTF-8, as the harness holds every text.
struct TRegValue {
    bool Exists = false;
    DWORD Type = 0;
    std::string Data;
    DWORD Number() const {
        DWORD n = 0;
        if (Data.size() == 4) memcpy(&n, Data.data(), 4);
        return n;
    }
    // A REG_SZ without its NUL (which must be there).
    std::string Text() const {
        return !Data.empty() && Data.back() == '\0' ? Data.substr(0, Data.size() - 1)
                                                    : "<no NUL: " + Data + ">";
    }
};

inline TRegValue ReadValue(HKEY root, const char* key, const char* name) {
    TRegValue value;
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | ProgramView(), &k) != ERROR_SUCCESS) return value;
    const std::wstring wideName = e2e::Wide(name);
    DWORD size = 0;
    if (RegQueryValueExW(k, wideName.c_str(), nullptr, &value.Type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.Data.resize(size);
        value.Exists = RegQueryValueExW(k, wideName.c_str(), nullptr, &value.Type,
                                        reinterpret_cast<BYTE*>(size ? &value.Data[0] : nullptr),
                                        &size) == ERROR_SUCCESS;
        value.Data.resize(size);
    }
    RegCloseKey(k);
    if (value.Type == REG_SZ || value.Type == REG_EXPAND_SZ || value.Type == REG_MULTI_SZ) {
        // Every unit as stored, the NULs too; an odd last byte stays a byte.
        std::wstring units(value.Data.size() / 2, L'\0');
        if (!units.empty()) memcpy(&units[0], value.Data.data(), units.size() * 2);
        value.Data = e2e::Utf8(units) + value.Data.substr(units.size() * 2);
    }
    return value;
}

// The names of a key's values, sorted (the order of writing is not kept by
// every registry); empty when the key is missing.
inline std::vector<std::string> ValueNames(HKEY root, const char* key) {
    std::vector<std::string> names;
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | ProgramView(), &k) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumValueA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(k);
    std::sort(names.begin(), names.end());
    return names;
}

inline bool KeyExists(HKEY root, const char* key) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | ProgramView(), &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

inline void WriteValue(HKEY root, const char* key, const char* name, DWORD type,
                       const std::string& data) {
    HKEY k;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS | ProgramView(), nullptr, &k,
                        nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create " << key;
        return;
    }
    RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   DWORD(data.size()));
    RegCloseKey(k);
}
inline void WriteText(HKEY root, const char* key, const char* name, const std::string& text) {
    WriteValue(root, key, name, REG_SZ, text + '\0');
}
inline void WriteNumber(HKEY root, const char* key, const char* name, DWORD n) {
    WriteValue(root, key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&n), 4));
}

// The lines of the stand-in's start record once it holds at least `count`
// (it is written by a program started alongside the setup), or what it
// holds after the wait.
inline std::vector<std::string> StartsLog(size_t count, DWORD timeout = e2e::kWait) {
    const DWORD start = GetTickCount();
    std::vector<std::string> lines;
    for (;;) {
        std::string text;
        lines.clear();
        if (e2e::ReadFile(StartsLogPath(), text)) {
            for (size_t at = 0; at < text.size();) {
                size_t end = text.find("\r\n", at);
                if (end == std::string::npos) end = text.size();
                lines.push_back(text.substr(at, end - at));
                at = end + 2;
            }
        }
        if (lines.size() >= count || GetTickCount() - start >= timeout) return lines;
        Sleep(50);
    }
}

} // namespace wizard
