// The program's modal message dialog: a kind (caption and icon), a set of
// buttons, and the answer number of the pressed button.
#pragma once

#include "engine/ask_user.h"

#include <cstdint>
#include <string>

// The program's main-thread asker (TAsker): kinds, buttons and answers are
// those of AskUser.
int MessageDialog(const std::string& text, uint8_t kind, uint16_t buttons);
