// The one record the front-end (the wizard, or a run without it) and the
// install thread share, and its handshake.
//
// State is the only signal. Whoever fills data fields does so before the
// state that announces them (a release store); the reader looks at them only
// after it has seen that state (an acquire load). Each side changes the
// state only through its verbs below:
//
//   Idle -> Running        front-end: BeginInstallRun (the plan is built)
//   Running -> Question    thread:    PutQuestion (Message, Kind, Buttons set)
//   Question -> Paused     front-end: TakeQuestion (it shows the question)
//   Paused -> Answered     front-end: AnswerQuestion (Answer set)
//   Answered -> Running    thread:    PutQuestion returns the answer
//   Running -> Paused      front-end: HoldInstallRun (the quit question)
//   Paused -> Running      front-end: ReleaseInstallRun (the user goes on)
//   Paused -> Done         front-end: QuitInstallRun (the user quits; from
//   Running -> Done                   any state the thread stops at its
//                                     next check point)
//   Running -> Done        thread:    ReportInstallDone (every copy written,
//                                     also over a hold)
//   Running -> Failed      thread:    ReportInstallFailed (Abort; the thread
//                                     has ended)
//   Done -> Idle           front-end: EndInstallRun (it saw the end)
//
// The front-end never suspends the thread: a held thread waits at its check
// points (StopAtCheckPoint: after each copy, after each component, before
// it asks), so it never holds the heap or the log while the front-end shows
// a dialog. Its waits block on an event that every state change signals;
// they use no CPU.
//
// A quit is remembered for the rest of the run: the thread stops at its
// next check point even when the state has moved on since (for instance a
// question it asked is answered after the user confirmed the quit). A
// question the front-end has not yet taken when the quit comes is
// withdrawn, and one asked after it is not put at all; both count as
// Ignore, so the thread ends with Done as for any quit.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

enum class TInstallState : uint8_t {
    Idle = 0,
    Running = 1,
    Paused = 2,
    Done = 3, // every copy written, or the run quit
    Failed = 4,
    Question = 5,
    Answered = 6,
};

struct TInstallThreadStatus {
    std::atomic<TInstallState> State{TInstallState::Idle};
    std::atomic<uint8_t> Component{255}; // kNoComponent until one is begun
    std::atomic<int32_t> Progress{0};    // bytes of finished copies
    std::string Message;                 // a pending question ...
    uint8_t Kind = 0;                    // ... its dialog kind (mtError, ...)
    uint16_t Buttons = 0;                // ... its buttons (mbAbort | ...)
    int32_t Answer = 0;                  // the answer number (mrRetry, ...)
};
extern TInstallThreadStatus InstallStatus;

// Acquire load of the state; either side.
TInstallState InstallState();

// ---------------------------------------------------------------- front-end
// A fresh run starts: Component none, Progress 0, no quit; Idle -> Running.
void BeginInstallRun();
// Holds a running thread at its next check point while the quit question
// is up; false when the thread has just stored another state.
bool HoldInstallRun();
// Lets a held thread go on; false when the state has moved on.
bool ReleaseInstallRun();
// Takes a question the thread has put (Question -> Paused); false when
// there is none.
bool TakeQuestion();
// Hands the answer to a question taken (Paused -> Answered).
void AnswerQuestion(int answer);
// The user quits: from now on the thread writes nothing after the copy in
// hand. A held or running state becomes Done at once.
void QuitInstallRun();
bool InstallQuitRequested();
// The front-end saw Done: back to Idle.
void EndInstallRun();

// ---------------------------------------------------------------- thread
// A check point: waits while the front-end holds the thread, then tells
// whether the run is to stop (a quit).
bool StopAtCheckPoint();
// Puts a question and waits for its answer number; a quit withdraws it
// (Ignore).
int PutQuestion(const std::string& text, uint8_t kind, uint16_t buttons);
void ReportInstallDone();
void ReportInstallFailed();
