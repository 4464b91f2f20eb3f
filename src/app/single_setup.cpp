#include "app/single_setup.h"

#include "base/product_names.h"

#include <windows.h>

namespace {
constexpr char kMutexName[] = "QuorvaleWordProcessorSetup.Running";
} // namespace

TSingleSetup::TSingleSetup(bool showFirst) {
    Mutex_ = CreateMutexA(nullptr, FALSE, kMutexName);
    Second_ = Mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!Second_ || !showFirst) return;
    // The other copy may still be starting; then there is no window to show.
    // The wizard cannot be maximised, so restoring only undoes minimising.
    if (HWND first = FindWindowA(nullptr, kApplicationTitle)) {
        ShowWindow(first, SW_RESTORE);
        SetForegroundWindow(first);
    }
}

TSingleSetup::~TSingleSetup() {
    if (Mutex_) CloseHandle(Mutex_);
}
