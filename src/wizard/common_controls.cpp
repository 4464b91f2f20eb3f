#include "wizard/common_controls.h"

#include "base/run_time_functions.h"

#include <windows.h>

#include <commctrl.h>

// The common controls of Windows 95 and NT 4.0 register every class at once
// and lack the call that names one; version 6 (the manifest's) registers
// only what that call names.
void RegisterProgressBarClass() {
    // The module that the imported InitCommonControls came from: the
    // manifest's version where there is one, never a DLL looked up by name.
    MEMORY_BASIC_INFORMATION module{};
    VirtualQuery(reinterpret_cast<void*>(&InitCommonControls), &module, sizeof module);
    using TInitCommonControlsEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initEx =
        FunctionIn<TInitCommonControlsEx>(module.AllocationBase, "InitCommonControlsEx");
    if (initEx) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
        initEx(&classes);
    } else {
        InitCommonControls();
    }
}
