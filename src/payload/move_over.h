// Putting a newly written file in the place of its target in one step.
#pragma once

#include <string>

// Moves the file open in `file` (a Win32 HANDLE opened with DELETE access,
// named `temporary`) over `target`, replacing what is there, and closes it.
// Where the system can (Windows Vista on) the open file is renamed through
// its handle, one call to the file system; elsewhere, or when that fails,
// by MoveFileEx after the close. False when the target refuses (in use,
// read-only, a folder) or the close fails: the file then still lies under
// its temporary name.
bool MoveOverTarget(void* file, const std::string& temporary, const std::string& target);
