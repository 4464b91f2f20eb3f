#include "engine/install_status.h"

#include "base/scoped_win.h"

#include <windows.h>

TInstallThreadStatus InstallStatus;

namespace {
std::atomic<bool> StopRequested{false};

// Auto-reset: one waiter, the install thread. A signal that finds nobody
// waiting lets the next wait return at once, and the thread then simply
// reads the state again.
const TKernelHandle StateChanged(CreateEventA(nullptr, FALSE, FALSE, nullptr));

void Signal() {
    SetEvent(StateChanged.Get());
}
} // namespace

void PublishInstallState(uint8_t state) {
    InstallStatus.State.store(state, std::memory_order_release);
    Signal();
}

void SetInstallState(uint8_t state) {
    if (state == StatusDone)
        QuitInstallRun();
    else
        PublishInstallState(state);
}

void QuitInstallRun() {
    StopRequested.store(true);
    PublishInstallState(StatusDone);
}

uint8_t InstallState() {
    return InstallStatus.State.load(std::memory_order_acquire);
}

bool ChangeInstallState(uint8_t from, uint8_t to) {
    if (!InstallStatus.State.compare_exchange_strong(from, to, std::memory_order_acq_rel))
        return false;
    if (to == StatusDone) StopRequested.store(true);
    Signal();
    return true;
}

void RequestInstallStop() {
    StopRequested.store(true);
    if (!ChangeInstallState(StatusPaused, StatusDone))
        ChangeInstallState(StatusRunning, StatusDone);
    Signal();
}

bool InstallStopRequested() {
    return StopRequested.load();
}

void WaitForInstallStateChange() {
    WaitForSingleObject(StateChanged.Get(), INFINITE);
}

bool StopAtCheckPoint() {
    while (InstallState() == StatusPaused && !InstallStopRequested())
        WaitForInstallStateChange();
    return InstallStopRequested() || InstallState() == StatusDone;
}

void ResetInstallRun() {
    InstallStatus.Component.store(255);
    InstallStatus.Progress.store(0);
    StopRequested.store(false);
}
