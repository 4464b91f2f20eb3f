#include "base/run_time_functions.h"

#include "base/paths.h"
#include "base/utf8_text.h"

#include <windows.h>

#include <string>

void* FunctionAddress(void* module, const char* name) {
    return module ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name))
                  : nullptr;
}

void* LoadedModuleFunction(const char* dll, const char* name) {
    return FunctionAddress(GetModuleHandleA(dll), name);
}

TModuleHandle LoadSystemLibrary(const char* name) {
    wchar_t folder[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TModuleHandle();
    // With the altered search path the DLL's own imports are looked for in
    // its folder first: where the newer DLL search functions are missing,
    // the plain search would try the program's folder before the system's.
    return TModuleHandle(LoadLibraryExW(WideText(JoinPath(Utf8Text(folder, n), name)).c_str(),
                                        nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
