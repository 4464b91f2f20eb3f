#include "base/path_exists.h"

#include "base/locale_text.h"

#include <windows.h>

namespace {
std::string WithBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string FullPathName(const std::string& path) {
    std::string full(MAX_PATH, '\0');
    DWORD n = GetFullPathNameA(path.c_str(), DWORD(full.size()), &full[0], nullptr);
    if (n >= full.size()) {
        full.assign(n, '\0');
        n = GetFullPathNameA(path.c_str(), DWORD(full.size()), &full[0], nullptr);
        if (n >= full.size()) return std::string();
    }
    full.resize(n);
    return full;
}
} // namespace

bool FolderExists(const std::string& path) {
    const std::string folder = WithBackslash(path);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The full form is the spelling the system would report for this folder
    // as the current one; a path it would spell otherwise does not count.
    const std::string full = FullPathName(folder);
    return !full.empty() && SameName(WithBackslash(full), folder);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
