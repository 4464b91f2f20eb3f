// Putting a newly written file in the place of its target in one step.
#pragma once

#include "base/scoped_win.h"

#include <cstdint>
#include <string>

// Which file an open handle holds: its volume and its number there, the
// same through every name and handle of that file for as long as it exists.
struct TFileIdentity {
    uint32_t Volume = 0, IndexHigh = 0, IndexLow = 0;
    bool operator==(const TFileIdentity& other) const {
        return Volume == other.Volume && IndexHigh == other.IndexHigh && IndexLow == other.IndexLow;
    }
};
// False when the system does not tell.
bool IdentifyFile(HANDLE file, TFileIdentity& identity);

// Moves the file open in `file` (opened with DELETE access, named
// `temporary`) over `target`, replacing what is there, and closes it. The
// open file is renamed through its handle, one call to the file system;
// where the file system refuses that, it is moved by name as
// MoveWrittenFile allows. False when the target refuses (in use, read-only,
// a folder), the close fails, or the file at the temporary name is no longer
// the one written: the file then still lies under its temporary name.
bool MoveOverTarget(TFileHandle file, const std::string& temporary, const std::string& target);

// The move by name after the written file was closed: only when the file at
// `temporary` (opened again, a link not followed, and held across the move)
// is still the one `written` identifies, and only when what the move put at
// `target` is that file; anything else found there is removed again.
bool MoveWrittenFile(const TFileIdentity& written, const std::string& temporary,
                     const std::string& target);
