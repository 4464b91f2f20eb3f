#include "system/write_access.h"

#include "base/path_exists.h"
#include "base/paths.h"
#include "base/scoped_win.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "payload/temp_files.h"
#include "payload/unique_file.h"

#include <windows.h>

#include <shlobj.h>

namespace {
TWriteAccess FromError(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return TWriteAccess::Denied;
    default:
        return TWriteAccess::Unknown;
    }
}

std::string Parent(const std::string& path) {
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos || cut < 2 ? std::string() : path.substr(0, cut);
}
} // namespace

TWriteAccess FolderWriteAccess(const std::string& folder) {
    std::string existing = folder;
    while (!existing.empty() && existing.back() == '\\')
        existing.pop_back();
    bool missing = false;
    while (!existing.empty() && !FolderExists(existing)) {
        // "C:" or "\\server\share" that is not there: nothing to try in.
        existing = Parent(existing);
        missing = true;
    }
    if (existing.empty()) return TWriteAccess::Unknown;

    // What the test of a run killed in the middle of it left here.
    RemoveLeftoverWrites(existing);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const TWideText name =
            WideText(JoinPath(existing, WritePrefix() + std::to_string(RandomNumber()) + ".tmp"));
        if (missing) {
            // Making the first missing folder is what the installation
            // would do first; what it then writes inside is its own.
            if (CreateDirectoryW(name.c_str(), nullptr)) {
                RemoveDirectoryW(name.c_str());
                return TWriteAccess::Allowed;
            }
        } else {
            TFileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                         nullptr));
            if (file) {
                file.Reset();
                // Systems that ignore the flag keep the file until now.
                DeleteFileW(name.c_str());
                return TWriteAccess::Allowed;
            }
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return FromError(error);
    }
    return TWriteAccess::Unknown;
}

std::string PerUserDestination() {
    const std::string local = SpecialFolder(CSIDL_LOCAL_APPDATA);
    return local.empty() ? std::string() : JoinPath(JoinPath(local, "Programs"), "Quorvale");
}
