// Questions to the user from either thread.
#pragma once

#include <cstdint>
#include <string>

// Records the calling thread as the program's main (wizard) thread; called
// at the top of WinMain.
void RecordMainThread();
// Shows a modal message dialog and returns the answer number of the pressed
// button. On the main thread (or before one was recorded) the dialog is
// shown at once; on any other thread the question goes through
// InstallStatus and the call waits for the wizard's answer.
int AskUser(const std::string& text, uint8_t kind, uint16_t buttons);
