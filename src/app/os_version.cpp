#include "app/os_version.h"

#include <windows.h>

namespace {
bool ReadWindowsNT5OrLater() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4;
}
} // namespace

const bool WindowsNT5OrLater = ReadWindowsNT5OrLater();
