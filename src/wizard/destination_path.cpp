#include "wizard/destination_path.h"

#include "base/paths.h"
#include "payload/components.h"

std::string NormalizedDestination(const std::string& typed, char currentDrive,
                                  const std::string& programFiles) {
    const size_t first = typed.find_first_not_of(' ');
    std::string t = first == std::string::npos
                        ? std::string()
                        : typed.substr(first, typed.find_last_not_of(' ') - first + 1);

    const std::string drive = DrivePart(t);
    if (drive.empty()) {
        // A relative name would depend on the current folder: the current
        // drive's root stands in for it.
        t = std::string(1, currentDrive) + ':';
    } else if (drive.size() == 2 && t.size() > 2 && t[2] != '\\' && t[2] != '/') {
        // "d:Games" lies below the current folder of drive d, which is not
        // ours to know: that drive's root stands in for it too.
        t = drive;
    }
    t = WithoutBackslash(t);

    const size_t cut = t.find_last_of("\\:");
    const bool noLastElement = cut != std::string::npos && cut + 1 == t.size();
    if (noLastElement || (!programFiles.empty() && SameName(t, programFiles)))
        t = JoinPath(t, kProductFolder);
    return t;
}

std::string WithoutBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

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

std::vector<std::string> OpenFolderChain(const std::string& directory) {
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
