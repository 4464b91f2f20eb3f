// Questions to the user from either thread: a kind (caption and icon), a
// set of buttons, and the answer number of the pressed button.
#pragma once

#include "engine/question_numbers.h"
#include "payload/write_failure.h"

#include <cstdint>
#include <string>

// Shows a question modally on the calling thread and returns the answer
// number of the pressed button (0 when it closed some other way).
using TAsker = int (*)(const std::string& text, uint8_t kind, uint16_t buttons);

// Records the calling thread as the program's main (wizard) thread, and the
// asker that shows questions there (the wizard's message dialog); called at
// the top of WinMain.
void RecordMainThread(TAsker asker);
// Asks and returns the answer number of the pressed button. On the main
// thread (or before one was recorded) the main-thread asker asks at once;
// on any other thread the question goes through InstallStatus and the call
// waits for the wizard's answer.
int AskUser(const std::string& text, uint8_t kind, uint16_t buttons);

// The Abort/Retry/Ignore question about a file that cannot be written, as
// an error, through AskUser.
TWriteFailureAnswer AskAboutWriteFailure(const std::string& text);
// How an answer number reads for that question: Abort and Ignore as
// themselves, anything else (Retry, or the question closed some other
// way) as Retry.
TWriteFailureAnswer WriteFailureAnswer(int answer);
