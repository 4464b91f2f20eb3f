#include "wizard/drive_changes.h"

TDriveChange DriveChange(uint32_t now, uint32_t before, uint32_t listed, char current) {
    if (now == before) return {};
    if (int32_t(now) > int32_t(before)) {
        const uint32_t added = now & ~before & listed;
        for (int drive = 2; drive < 26; ++drive)
            if (added & (1u << drive)) return {TDriveChangeKind::NewDrive, char('a' + drive)};
    }
    const char lower = current >= 'A' && current <= 'Z' ? char(current - 'A' + 'a') : current;
    const bool stillThere = lower >= 'a' && lower <= 'z' && (now & (1u << (lower - 'a')));
    return {stillThere ? TDriveChangeKind::KeepDrive : TDriveChangeKind::ProgramFiles, 0};
}
