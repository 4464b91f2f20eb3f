#include "app/window_station.h"

#include "base/run_time_functions.h"

#include <windows.h>

bool WindowsCanBeSeen() {
    // Looked up: Windows 95 has neither.
    using TStation = HWINSTA(WINAPI*)();
    using TInformation = BOOL(WINAPI*)(HANDLE, int, PVOID, DWORD, LPDWORD);
    const auto station = LoadedFunction<TStation>("user32.dll", "GetProcessWindowStation");
    const auto information =
        LoadedFunction<TInformation>("user32.dll", "GetUserObjectInformationA");
    if (!station || !information) return true;
    HWINSTA current = station(); // not to be closed
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (!current || !information(current, UOI_FLAGS, &flags, sizeof flags, &needed)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}
