#include "app/dll_safety.h"

#include <windows.h>

namespace {
// From the SDK of Windows 8 (and of Windows 7 with KB2533623), which the
// headers for Windows 2000 do not have.
constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename F> F Kernel32Function(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}
} // namespace

void RestrictDllSearch() {
    // The program's own folder and the current folder leave the search
    // order of every later LoadLibrary without a full path, including the
    // ones the system's DLLs make on our behalf (themes, rich edit, ...).
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    if (auto setDefault = Kernel32Function<TSetDefaultDllDirectories>("SetDefaultDllDirectories"))
        setDefault(kSearchSystem32);
    // Where the call above is missing (before Windows 7 with KB2533623), at
    // least the current folder goes.
    using TSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR);
    if (auto setDllDirectory = Kernel32Function<TSetDllDirectoryA>("SetDllDirectoryA"))
        setDllDirectory("");
}
