#include "app/single_setup.h"

#include "base/product_names.h"

#include <windows.h>

namespace {
// In the machine-wide namespace: a deployment tool's copy runs in a
// session of its own, a user's in another, and both write the same files.
constexpr char kMutexName[] = "Global\\QuorvaleWordProcessorSetup.Running";
// Systems without that namespace (before Windows 2000, or without terminal
// services) refuse a name with a backslash; there the one namespace is
// machine-wide anyway.
constexpr char kLocalMutexName[] = "QuorvaleWordProcessorSetup.Running";
} // namespace

TSingleSetup::TSingleSetup(bool showFirst) {
    Mutex_.Reset(CreateMutexA(nullptr, FALSE, kMutexName));
    DWORD error = GetLastError();
    if (!Mutex_ && error != ERROR_ACCESS_DENIED) {
        Mutex_.Reset(CreateMutexA(nullptr, FALSE, kLocalMutexName));
        error = GetLastError();
    }
    // Another user's copy (SYSTEM's, say) made the mutex with rights only
    // for itself: opening it is refused, and that too means it runs.
    Second_ = Mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (!Second_ || !showFirst) return;
    // The other copy may still be starting, or run on another desktop; then
    // there is no window to show. The wizard cannot be maximised, so
    // restoring only undoes minimising.
    if (HWND first = FindWindowA(nullptr, kApplicationTitle)) {
        ShowWindow(first, SW_RESTORE);
        SetForegroundWindow(first);
    }
}
