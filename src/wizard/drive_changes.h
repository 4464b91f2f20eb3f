// What the destination page does when drives come or go while the wizard
// runs: the logical-drive masks before and after decide it.
#pragma once

#include <cstdint>

enum class TDriveChangeKind : uint8_t {
    None,         // the masks are equal: nothing to do
    KeepDrive,    // the list is rebuilt; the current drive stays selected
    ProgramFiles, // the current drive went away: the Program Files folder's drive
    NewDrive,     // a drive came: it becomes the current drive
};

struct TDriveChange {
    TDriveChangeKind Kind = TDriveChangeKind::None;
    char Letter = 0; // the new drive, lower case, for NewDrive
};

// `now` and `before` are logical-drive masks (bit 0 = drive A); `listed`
// marks the drives the rebuilt drive list shows (C to Z, no CD-ROM), so
// that a new CD-ROM or floppy drive is never chosen; `current` is the
// current drive letter. More drives than before (as signed numbers) move
// to the first new listed drive from C on; else the current drive stays
// unless it went away.
TDriveChange DriveChange(uint32_t now, uint32_t before, uint32_t listed, char current);
