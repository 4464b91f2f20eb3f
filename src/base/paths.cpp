#include "base/paths.h"

#include "base/wide_paths.h"

#include <windows.h>

std::string DrivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return path.substr(0, 2);
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: up to the backslash after the share name.
        size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return std::string();
        // A share name must follow: \\server\ alone names none.
        if (server + 1 == path.size()) return std::string();
        size_t share = path.find('\\', server + 1);
        if (share == server + 1) return std::string();
        return path.substr(0, share);
    }
    return std::string();
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '\\' || last == '/') return folder.substr(0, folder.size() - 1) + '\\' + name;
    return folder + '\\' + name;
}

bool IsLink(const std::string& path) {
    std::string item = path;
    // With the backslash the system may report the folder behind the link.
    while (item.size() > 3 && (item.back() == '\\' || item.back() == '/'))
        item.pop_back();
    const DWORD attributes = PathAttributes(item);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string WithoutBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}
