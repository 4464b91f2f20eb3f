#include "engine/ask_user.h"

#include "engine/install_status.h"
#include "payload/diagnostic_log.h"

#include <windows.h>

#include <atomic>

namespace {
std::atomic<DWORD> MainThreadId{0};
std::atomic<TAsker> MainThreadAsker{nullptr};
} // namespace

void RecordMainThread(TAsker asker) {
    MainThreadAsker.store(asker);
    MainThreadId.store(GetCurrentThreadId());
}

int AskUser(const std::string& text, uint8_t kind, uint16_t buttons) {
    // Taken first: the failure that raised the question is the last one.
    const DWORD error = GetLastError();
    if (DiagnosticLogOpen()) {
        std::string question = text.substr(0, text.find('\r'));
        if (kind == mtError && error) question += " (" + SystemErrorText(error) + ")";
        Diagnose("Question: " + question);
    }
    const DWORD main = MainThreadId.load();
    int answer = 0;
    if (main != 0 && main != GetCurrentThreadId())
        answer = PutQuestion(text, kind, buttons);
    else if (const TAsker asker = MainThreadAsker.load())
        answer = asker(text, kind, buttons);
    static const char* const kAnswers[] = {"none",  "OK",     "Cancel", "Abort",
                                           "Retry", "Ignore", "Yes",    "No"};
    Diagnose(std::string("Answer: ") + (answer >= 0 && answer <= mrNo ? kAnswers[answer] : "?"));
    return answer;
}

TWriteFailureAnswer WriteFailureAnswer(int answer) {
    if (answer == mrAbort) return TWriteFailureAnswer::Abort;
    if (answer == mrIgnore) return TWriteFailureAnswer::Ignore;
    return TWriteFailureAnswer::Retry;
}

TWriteFailureAnswer AskAboutWriteFailure(const std::string& text) {
    return WriteFailureAnswer(AskUser(text, mtError, mbAbort | mbRetry | mbIgnore));
}
