#include "app/dll_safety.h"

#include "app/os_version.h"
#include "base/run_time_functions.h"
#include "base/scoped_win.h"

#include <windows.h>

namespace {
// From the SDK of Windows 8 (and of Windows 7 with KB2533623), which the
// headers for Windows 2000 do not have.
constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

// DLLs that the system's own DLLs load by name while the program runs
// (themes, version and profile queries, device set-up, security, ...) and
// that are not "known DLLs" everywhere, so that a bare name would find a copy
// beside setup.exe first.
const char* const kLoadedLater[] = {
    "uxtheme.dll", "version.dll",  "userenv.dll",  "setupapi.dll", "dwmapi.dll",   "cryptbase.dll",
    "ntmarta.dll", "profapi.dll",  "propsys.dll",  "secur32.dll",  "sspicli.dll",  "apphelp.dll",
    "msimg32.dll", "winmm.dll",    "wintrust.dll", "mpr.dll",      "netapi32.dll", "wtsapi32.dll",
    "msctf.dll",   "linkinfo.dll", "riched20.dll", "oleacc.dll",   "cryptsp.dll",  "rsaenh.dll",
    "samcli.dll",  "netutils.dll", "srvcli.dll",   "wkscli.dll",   "cscapi.dll",   "ntshrui.dll",
};
} // namespace

void RestrictDllSearch() {
    // The program's own folder and the current folder leave the search
    // order of every later LoadLibrary without a full path, including the
    // ones the system's DLLs make on our behalf (themes, rich edit, ...).
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    if (auto setDefault =
            LoadedFunction<TSetDefaultDllDirectories>("kernel32.dll", "SetDefaultDllDirectories")) {
        setDefault(kSearchSystem32);
    } else if (WindowsNT5OrLater) {
        // Without that call (Windows 2000 to 7 without KB2533623) the
        // program's folder stays first in the search. A DLL already loaded
        // is found by its name without a search: so the ones the system
        // will ask for are loaded now, from the system folder, before any
        // window exists. (Older systems only get as far as the message
        // that they are too old.)
        // A DLL that cannot load on this system fails quietly.
        TErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        for (const char* name : kLoadedLater)
            LoadSystemLibrary(name).Release(); // loaded for the rest of the run
    }
    // Where the call above is missing (before Windows 7 with KB2533623), at
    // least the current folder goes.
    using TSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR);
    if (auto setDllDirectory =
            LoadedFunction<TSetDllDirectoryA>("kernel32.dll", "SetDllDirectoryA"))
        setDllDirectory("");
}
