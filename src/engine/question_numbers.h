// The numbers of a question to the user: its kind (caption and icon), its
// set of buttons, and the answer number of the pressed button. Apart from
// the asking (engine/ask_user.h), for code that only hands them on or reads
// an answer.
#pragma once

#include <cstdint>

enum : uint8_t { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3 };
enum : uint16_t {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64
};
enum : int { mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
