#include "wizard/destination_path.h"

#include "base/paths.h"

std::string ParentPath(const std::string& path) {
    const std::string folder = WithoutBackslash(path);
    const size_t cut = folder.rfind('\\');
    return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

std::string PathOnDrive(const std::string& path, char letter) {
    const size_t colon = path.find(':');
    if (colon == std::string::npos) return std::string();
    return std::string(1, letter) + path.substr(colon);
}

int BackslashCount(const std::string& path) {
    int count = 0;
    for (char c : path)
        if (c == '\\') ++count;
    return count;
}

std::vector<std::string> FoldersFromRoot(const std::string& directory) {
    std::vector<std::string> chain;
    std::string rest = directory;
    while (rest.size() > 3) {
        rest = WithoutBackslash(rest);
        chain.insert(chain.begin(), rest);
        const size_t cut = rest.rfind('\\');
        if (cut == std::string::npos) return chain; // no root above it
        rest.resize(cut + 1);
    }
    chain.insert(chain.begin(), rest);
    return chain;
}

std::string ShownFolderName(const std::string& item, bool isRoot) {
    if (isRoot) return item.substr(0, 2);
    const std::string folder = WithoutBackslash(item);
    return folder.substr(folder.rfind('\\') + 1); // npos + 1: the whole text
}
