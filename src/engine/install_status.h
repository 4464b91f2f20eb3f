// The one record the wizard and the install thread share, and its handshake.
//
// State is the only signal. Whoever fills data fields does so before the
// state that announces them (a release store); the reader looks at them only
// after it has seen that state (an acquire load).
//
//   Idle -> Running        wizard: the plan is built, the thread starts
//   Running -> Question    thread: a copy failed; Message, Kind, Buttons set
//   Question -> Paused     wizard: it shows the question
//   Paused -> Answered     wizard: Answer set
//   Answered -> Running    thread: it read the answer
//   Running -> Paused      wizard: it holds the thread for the quit question
//   Paused -> Running      wizard: the user goes on
//   Paused -> Done         wizard: the user quits (QuitInstallRun, which
//                          SetInstallState(StatusDone) stands for, or
//                          RequestInstallStop, which also works from any
//                          other state)
//   Running -> Done        thread: every copy is written (also over a hold)
//   Running -> Failed      thread: the user chose Abort; the thread has ended
//   Done -> Idle           wizard: it saw the end and leaves the page
//
// The wizard never suspends the thread: a held thread waits at its check
// points (StopAtCheckPoint: after each copy, after each component, before
// it asks), so it never holds the heap or the log while the wizard shows a
// dialog. Its waits block on an event that every state change signals; they
// use no CPU.
//
// A quit is remembered for the rest of the run: the thread stops at its
// next check point even when the state has moved on since (for instance a
// question it asked is answered after the user confirmed the quit). A
// question the wizard has not yet taken when the quit comes is withdrawn,
// and one asked after it is not put at all; both count as Ignore, so the
// thread ends with StatusDone as for any quit.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

enum : uint8_t {
    StatusIdle,
    StatusRunning,
    StatusPaused,
    StatusDone,
    StatusFailed,
    StatusQuestion,
    StatusAnswered
};

struct TInstallThreadStatus {
    std::atomic<uint8_t> State{StatusIdle};
    std::atomic<uint8_t> Component{255}; // 255 = no component begun
    std::atomic<int32_t> Progress{0};    // bytes of finished copies
    std::string Message;                 // a pending question ...
    uint8_t Kind = 0;                    // ... its dialog kind (mtError, ...)
    uint16_t Buttons = 0;                // ... its buttons (mbAbort | ...)
    int32_t Answer = 0;                  // the answer number (mrRetry, ...)
};
extern TInstallThreadStatus InstallStatus;

// Release store of the state; wakes a waiting install thread. Outside the
// thread only a quit stores StatusDone, so SetInstallState(StatusDone) is
// QuitInstallRun.
void SetInstallState(uint8_t state);
// The user quits while the state is held or a question is on screen: the
// quit is remembered and the state becomes StatusDone whatever it was.
void QuitInstallRun();
// Acquire load of the state.
uint8_t InstallState();

// The same transitions as one compare-and-swap: changes the state only if it
// still is `from`. Holding the thread this way (Running -> Paused), taking
// a question (Question -> Paused) and releasing it (Paused -> Running) can
// never overwrite a state the thread stored in between.
bool ChangeInstallState(uint8_t from, uint8_t to);
// The user confirmed the quit: from now on the thread writes nothing after
// the copy in hand. A held or running state becomes StatusDone.
void RequestInstallStop();
bool InstallStopRequested();

// Used by the install thread.
void PublishInstallState(uint8_t state); // a store that is not a quit
void WaitForInstallStateChange();        // blocks until the next state change
// A check point: waits while the wizard holds the thread, then tells
// whether the run is to stop (a quit, or StatusDone stored).
bool StopAtCheckPoint();
// Starts a run: Component 255, Progress 0, no quit requested.
void ResetInstallRun();
