#include "payload/safe_write.h"

#include "base/scoped_win.h"
#include "base/wide_paths.h"
#include "payload/file_time.h"
#include "payload/move_over.h"
#include "payload/temp_files.h"
#include "payload/unique_file.h"

#include <windows.h>

bool WriteWholeFile(const std::string& target, const void* data, uint32_t size, const double* stamp,
                    bool flush) {
    const std::string folder = target.substr(0, target.find_last_of('\\') + 1);
    std::string temporary;
    TFileHandle file = CreateUniqueFile(folder, WritePrefix(), ".tmp", temporary);
    if (!file) return false;
    DWORD written = 0;
    bool placed =
        (size == 0 || (WriteFile(file.Get(), data, size, &written, nullptr) && written == size)) &&
        (!flush || FlushFileBuffers(file.Get()));
    if (placed) {
        if (stamp) SetFileDate(file, *stamp); // a stamp that cannot be set is no failure
        placed = MoveOverTarget(std::move(file), temporary, target);
    }
    if (placed) return true;
    const DWORD reason = GetLastError();
    file.Reset();
    DeletePathFile(temporary);
    SetLastError(reason);
    return false;
}
