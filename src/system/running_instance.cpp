#include "system/running_instance.h"

#include <windows.h>

namespace {
BOOL CALLBACK FindMarkedWindow(HWND window, LPARAM found) {
    if (GetPropA(window, kRunningMarker) == nullptr) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE; // one is enough
}
} // namespace

bool IsWordProcessorRunning() {
    // EnumWindows sees top-level windows only; a failed enumeration leaves
    // the answer at "not running".
    bool found = false;
    EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}
