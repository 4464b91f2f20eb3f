#include "payload/move_over.h"

#include "base/run_time_functions.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace {
// FILE_RENAME_INFO and its class number, which the headers for Windows 2000
// do not have.
struct TRenameInfo {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    DWORD FileNameLength; // in bytes, without the terminating zero
    WCHAR FileName[1];
};
constexpr int kFileRenameInfo = 3;

bool RenameThroughHandle(HANDLE file, const std::string& target) {
    using TSetFileInformationByHandle = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    const auto setInformation =
        LoadedFunction<TSetFileInformationByHandle>("kernel32.dll", "SetFileInformationByHandle");
    if (!setInformation) return false;
    // The call takes the name as the file system sees it: "\??\C:\..." or
    // "\??\UNC\server\share\...".
    const int n = MultiByteToWideChar(CP_ACP, 0, target.c_str(), int(target.size()), nullptr, 0);
    if (n <= 0) return false;
    std::wstring name(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), int(target.size()), &name[0], n);
    if (name.compare(0, 2, L"\\\\") == 0)
        name = L"\\??\\UNC\\" + name.substr(2);
    else
        name = L"\\??\\" + name;
    const size_t bytes = offsetof(TRenameInfo, FileName) + (name.size() + 1) * sizeof(WCHAR);
    std::vector<unsigned long long> buffer((bytes + 7) / 8, 0); // aligned for the handle
    auto* info = reinterpret_cast<TRenameInfo*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(name.size() * sizeof(WCHAR));
    std::copy(name.begin(), name.end(), info->FileName);
    return setInformation(file, kFileRenameInfo, info, DWORD(bytes)) != FALSE;
}

// MoveFileExA, looked up: the kernel of Windows 95 lacks it (that system
// never gets as far as copying files).
bool MoveReplacing(const std::string& from, const std::string& to) {
    using TMoveFileExA = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto move = LoadedFunction<TMoveFileExA>("kernel32.dll", "MoveFileExA");
    return move && move(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
} // namespace

bool MoveOverTarget(void* file, const std::string& temporary, const std::string& target) {
    // Windows refuses to replace a read-only file, but a file system that
    // keeps the attribute elsewhere (Wine on a Unix one) may let the rename
    // through: the attribute is asked here so that it holds everywhere.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        CloseHandle(file);
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    bool moved = RenameThroughHandle(file, target);
    const bool closed = CloseHandle(file) != FALSE;
    if (!moved && closed) moved = MoveReplacing(temporary, target);
    return moved && closed;
}
