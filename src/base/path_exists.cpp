#include "base/path_exists.h"

#include "base/locale_text.h"
#include "base/wide_paths.h"

#include <windows.h>

namespace {
std::string WithBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

} // namespace

bool FolderExists(const std::string& path) {
    const std::string folder = WithBackslash(path);
    const DWORD attributes = PathAttributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The full form is the spelling the system would report for this folder
    // as the current one; a path it would spell otherwise does not count.
    const std::string full = FullPathName(folder);
    return !full.empty() && SameName(WithBackslash(full), folder);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = PathAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
