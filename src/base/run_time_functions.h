// Functions found at run time: calls that not every supported Windows has
// (an import of them would stop the program from loading there), and DLLs
// loaded only from the system folder.
#pragma once

#include "base/scoped_win.h"

// The address of `name` in `module` (an HMODULE), or null; a null module
// gives null.
void* FunctionAddress(void* module, const char* name);
// The same in a DLL the process has already loaded (GetModuleHandleA).
void* LoadedModuleFunction(const char* dll, const char* name);

template <typename F> F FunctionIn(void* module, const char* name) {
    return reinterpret_cast<F>(FunctionAddress(module, name));
}
template <typename F> F LoadedFunction(const char* dll, const char* name) {
    return reinterpret_cast<F>(LoadedModuleFunction(dll, name));
}

// Loads a system DLL by its full path in the system folder, never from the
// program's own folder or the current folder (where a planted copy could
// run with the setup's rights); the DLLs it imports are found beside it.
// A DLL whose functions are kept for the rest of the run is let go of with
// Release().
TModuleHandle LoadSystemLibrary(const char* name);
