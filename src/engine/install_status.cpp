#include "engine/install_status.h"

#include "base/scoped_win.h"
#include "engine/question_numbers.h"
#include "payload/components.h"

#include <windows.h>

TInstallThreadStatus InstallStatus;

namespace {
using S = TInstallState;

std::atomic<bool> QuitRequested{false};

// Auto-reset: one waiter, the install thread. A signal that finds nobody
// waiting lets the next wait return at once, and the thread then simply
// reads the state again.
const TKernelHandle StateChanged(CreateEventA(nullptr, FALSE, FALSE, nullptr));

void Publish(TInstallState state) {
    InstallStatus.State.store(state, std::memory_order_release);
    SetEvent(StateChanged.Get());
}

// Changes the state only if it still is `from`, so that neither side ever
// overwrites a state the other stored in between.
bool Change(TInstallState from, TInstallState to) {
    if (!InstallStatus.State.compare_exchange_strong(from, to, std::memory_order_acq_rel))
        return false;
    SetEvent(StateChanged.Get());
    return true;
}

void WaitForChange() {
    WaitForSingleObject(StateChanged.Get(), INFINITE);
}
} // namespace

TInstallState InstallState() {
    return InstallStatus.State.load(std::memory_order_acquire);
}

void BeginInstallRun() {
    InstallStatus.Component.store(kNoComponent);
    InstallStatus.Progress.store(0);
    QuitRequested.store(false);
    Publish(S::Running);
}

bool HoldInstallRun() {
    return Change(S::Running, S::Paused);
}

bool ReleaseInstallRun() {
    return Change(S::Paused, S::Running);
}

bool TakeQuestion() {
    return Change(S::Question, S::Paused);
}

void AnswerQuestion(int answer) {
    InstallStatus.Answer = answer;
    Publish(S::Answered);
}

void QuitInstallRun() {
    QuitRequested.store(true);
    if (!Change(S::Paused, S::Done)) Change(S::Running, S::Done);
    SetEvent(StateChanged.Get());
}

bool InstallQuitRequested() {
    return QuitRequested.load();
}

void EndInstallRun() {
    Change(S::Done, S::Idle);
}

bool StopAtCheckPoint() {
    while (InstallState() == S::Paused && !InstallQuitRequested())
        WaitForChange();
    return InstallQuitRequested();
}

int PutQuestion(const std::string& text, uint8_t kind, uint16_t buttons) {
    // Put the question, unless the front-end holds the thread or the run is quit.
    for (;;) {
        if (StopAtCheckPoint()) return mrIgnore;
        const TInstallState state = InstallState();
        if (state == S::Paused) continue;
        InstallStatus.Message = text;
        InstallStatus.Kind = kind;
        InstallStatus.Buttons = buttons;
        if (Change(state, S::Question)) break;
    }
    for (;;) {
        const TInstallState state = InstallState();
        if (state == S::Answered) {
            const int answer = InstallStatus.Answer;
            Publish(InstallQuitRequested() ? S::Done : S::Running);
            return answer;
        }
        if (InstallQuitRequested()) {
            // Nobody is bound to answer any more; a question on screen may
            // still be answered, but the answer is no longer waited for.
            Change(S::Question, S::Done);
            return mrIgnore;
        }
        // A hold stored over the question and was released: ask again.
        if (state == S::Running && Change(S::Running, S::Question)) continue;
        WaitForChange();
    }
}

void ReportInstallDone() {
    Publish(S::Done);
}

void ReportInstallFailed() {
    Publish(S::Failed);
}
