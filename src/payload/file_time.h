// File time stamps as day counts, through the DOS date-time format.
#pragma once

#include "base/scoped_win_fwd.h"

#include <string>

// The current local date and time as a day count.
double LocalNow();
// The last-write time of an existing file, in local time at the DOS format's
// resolution, as a day count; the current local time when there is no such
// file.
double FileDate(const std::string& path);
// Gives a file the stamp as its last-write time (read as local time, at the
// DOS format's resolution). Stamps outside the years 1980 to 2099 are not
// set. False when nothing was set.
bool SetFileDate(const std::string& path, double stamp);
// The same through a file open for writing.
bool SetFileDate(const TFileHandle& file, double stamp);
