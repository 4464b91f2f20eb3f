// A file that cannot be written: the payload code only reports it, and
// whoever installs decides what becomes of the installation, as a rule by
// asking the user.
#pragma once

#include <functional>
#include <string>

enum class TWriteFailureAnswer { Abort, Retry, Ignore };
// Given the message to show, says whether to give up the installation, try
// the file again, or go on without it.
using TWriteFailureAsker = std::function<TWriteFailureAnswer(const std::string& message)>;
