#include "base/run_time_functions.h"

#include "base/paths.h"

#include <windows.h>

#include <string>

void* FunctionAddress(void* module, const char* name) {
    return module ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name))
                  : nullptr;
}

void* LoadedModuleFunction(const char* dll, const char* name) {
    return FunctionAddress(GetModuleHandleA(dll), name);
}

void* LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryA(JoinPath(std::string(folder, n), name).c_str());
}
