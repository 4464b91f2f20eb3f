#include "payload/folders.h"

#include "payload/components.h"
#include "payload/install_log.h"

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

void MakeFolder(const std::string& path, _SECURITY_ATTRIBUTES* outermost) {
    // An empty path would stand for the current folder, never meant here.
    if (path.empty() || FolderExists(path)) return;
    std::string parent = path;
    if (parent.back() == '\\') parent.pop_back();
    const size_t cut = parent.find_last_of("\\:");
    parent = cut == std::string::npos ? std::string() : parent.substr(0, cut + 1);
    if (parent.size() < path.size() && !parent.empty() && !FolderExists(parent)) {
        MakeFolder(parent, outermost);
        outermost = nullptr;
    }
    CreateDirectoryA(path.c_str(), outermost);
    AddLogLine("Made Dir: " + path);
}
