#include "payload/move_over.h"

#include "base/open_items.h"
#include "base/run_time_functions.h"
#include "base/utf8_text.h"
#include "base/wide_paths.h"

#include <windows.h>

#include <string>

namespace {
// MoveFileExW, looked up: the kernel of Windows 95 lacks it (that system
// never gets as far as copying files).
bool MoveReplacing(const std::string& from, const std::string& to) {
    using TMoveFileExW = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    const auto move = LoadedFunction<TMoveFileExW>("kernel32.dll", "MoveFileExW");
    return move &&
           move(WideText(from).c_str(), WideText(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool IsWrittenFile(HANDLE file, const TFileIdentity& written) {
    TFileIdentity found;
    return IdentifyFile(file, found) && found == written;
}
} // namespace

bool IdentifyFile(HANDLE file, TFileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    identity = TFileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool MoveOverTarget(TFileHandle file, const std::string& temporary, const std::string& target) {
    // Windows refuses to replace a read-only file, but a file system that
    // keeps the attribute elsewhere (Wine on a Unix one) may let the rename
    // through: the attribute is asked here so that it holds everywhere.
    const DWORD attributes = PathAttributes(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (RenameOpenItem(file.Get(), target, true)) return file.Close();
    TFileIdentity written;
    const bool identified = IdentifyFile(file.Get(), written);
    if (!file.Close() || !identified) return false;
    return MoveWrittenFile(written, temporary, target);
}

bool MoveWrittenFile(const TFileIdentity& written, const std::string& temporary,
                     const std::string& target) {
    // Someone who may rename items in the folder could have put another
    // file, or a link, at the temporary name once the written one was
    // closed. Held open, the written file cannot be deleted and its
    // identity not given to another; held without data access, it does not
    // stand in the move's way.
    TFileHandle held = CreatePathFile(temporary, FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!held || !IsWrittenFile(held.Get(), written)) {
        SetLastError(ERROR_FILE_INVALID);
        return false;
    }
    if (!MoveReplacing(temporary, target)) return false;
    // The name could still have been swapped between that check and the
    // move: what now lies at the target must be the written file. Anything
    // else goes again, and the copy fails.
    const TOpenItem placed = OpenItem(target, 0, HasReparsePoint);
    if (placed.Handle && IsWrittenFile(placed.Handle.Get(), written)) return true;
    const TOpenItem other = OpenItem(target, DELETE, HasReparsePoint);
    if (other.Handle && !IsWrittenFile(other.Handle.Get(), written)) DeleteOpenItem(other);
    SetLastError(ERROR_FILE_INVALID);
    return false;
}
