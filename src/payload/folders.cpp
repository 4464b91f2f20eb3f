#include "payload/folders.h"

#include "base/path_exists.h"
#include "base/utf8_text.h"
#include "payload/install_log.h"

#include <windows.h>

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
    CreateDirectoryW(WideText(path).c_str(), outermost);
    AddLogLine("Made Dir: " + path);
}
