#include "wine_drive.h"

#include <windows.h>

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {
// The mount manager's Wine extension (include/ddk/mountmgr.h of Wine 8).
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(DWORD('m'), 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct TUnixDrive {
    ULONG Size;
    ULONG Type;
    ULONG FsType;
    DWORD Serial;
    ULONGLONG UnixDev;
    WCHAR Letter;
    USHORT MountPointOffset; // zero removes the drive
    USHORT DeviceOffset;
    USHORT LabelOffset;
};
static_assert(sizeof(TUnixDrive) == 32, "layout of Wine's mountmgr_unix_drive");

// Wine keeps a removed drive's letter in the logical-drive mask for as long
// as its server runs; only the root tells that the drive has gone.
bool LetterFree(char letter) {
    const char root[] = {letter, ':', '\\', 0};
    return !(GetLogicalDrives() & (1u << (letter - 'A'))) ||
           GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR;
}
} // namespace

TWineDrive::TWineDrive(const std::string& folder, unsigned type) {
    for (char letter = 'R'; letter <= 'Y'; ++letter) {
        if (!LetterFree(letter)) continue;
        Create(folder, type, letter);
        break;
    }
}

TWineDrive::TWineDrive(const std::string& folder, unsigned type, char letter) {
    Create(folder, type, letter);
}

void TWineDrive::Create(const std::string& folder, unsigned type, char letter) {
    if (folder.size() < 3 || (folder[0] != 'Z' && folder[0] != 'z') || folder[1] != ':') return;
    if (letter < 'A' || letter > 'Z' || !LetterFree(letter)) return;
    std::string unixPath = folder.substr(2);
    for (char& c : unixPath)
        if (c == '\\') c = '/';
    CreateDirectoryA(folder.c_str(), nullptr);
    if (Define(letter, unixPath, type)) Letter_ = letter;
}

TWineDrive::~TWineDrive() {
    if (!Letter_) return;
    Define(Letter_, std::string(), 0);
    HKEY drives;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, &drives) == ERROR_SUCCESS) {
        const char name[] = {char(Letter_ - 'A' + 'a'), ':', 0};
        RegDeleteValueA(drives, name);
        RegCloseKey(drives);
    }
}

bool TWineDrive::Define(char letter, const std::string& unixPath, unsigned type) {
    std::vector<char> buffer(sizeof(TUnixDrive) + unixPath.size() + 1, 0);
    TUnixDrive drive{};
    drive.Size = sizeof drive;
    drive.Type = type;
    drive.Letter = WCHAR(letter - 'A' + 'a');
    if (!unixPath.empty()) {
        drive.MountPointOffset = sizeof drive;
        drive.Size = ULONG(buffer.size());
        std::memcpy(buffer.data() + sizeof drive, unixPath.c_str(), unixPath.size() + 1);
    }
    std::memcpy(buffer.data(), &drive, sizeof drive);
    HANDLE manager =
        CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const bool ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), DWORD(buffer.size()),
                                    nullptr, 0, &returned, nullptr) != FALSE;
    CloseHandle(manager);
    return ok;
}
