// New files under names that nobody could have prepared: a random number in
// the name, and "create new", so that nothing that was there before (a file
// planted in the way, a link to somebody else's file) is ever opened.
#pragma once

#include "base/scoped_win_fwd.h"

#include <string>

// A number hard to guess and different at every call.
unsigned long RandomNumber();
// Creates a new empty file `folder` + `prefix` + random number in decimal +
// `suffix` and returns its handle, open for writing with exclusive access
// (and the right to rename it); a name that is taken makes it try another.
// On success `name` holds the full path; on failure the handle is invalid.
TFileHandle CreateUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& suffix, std::string& name);
