#include "system/data_folders.h"

#include "payload/folders.h"

#include <windows.h>

#include <shlobj.h>

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '\\' || last == '/') return folder.substr(0, folder.size() - 1) + '\\' + name;
    return folder + '\\' + name;
}

std::string DataFolder(TDataFolderKind kind, const std::string& destDir, bool portable) {
    std::string folder;
    if (portable) {
        // An empty destination would make a folder relative to the current one.
        if (!destDir.empty()) {
            folder = JoinPath(destDir, "");
            if (kind == TDataFolderKind::Spellcheck) folder += "Spellcheck\\";
        }
    } else if (kind == TDataFolderKind::Base) {
        std::string root = SpecialFolder(CSIDL_COMMON_APPDATA);
        if (root.empty()) root = SpecialFolder(CSIDL_PERSONAL);
        if (!root.empty()) folder = JoinPath(root, "Quorvale");
    } else if (kind == TDataFolderKind::Spellcheck) {
        const std::string shared = DataFolder(TDataFolderKind::Public, destDir, portable);
        if (!shared.empty()) folder = shared + "Spellcheck\\";
    } else {
        const std::string base = DataFolder(TDataFolderKind::Base, destDir, portable);
        if (!base.empty()) folder = base + (kind == TDataFolderKind::Hidden ? "Hidden" : "Public");
    }
    if (folder.empty()) return folder;
    folder = JoinPath(folder, "");
    MakeFolder(folder);
    return folder;
}

void DeleteFolderTree(const std::string& folder) { DeleteFolderTree(folder, IsLink); }

void DeleteFolderTree(const std::string& folder, bool (*isLink)(const std::string& path)) {
    // An empty name would stand for the root of the current drive.
    if (folder.empty()) return;
    const std::string path = JoinPath(folder, "");
    // A link is unlinked, never entered, the one given included: someone who
    // could write to the folder above may have put it there to point at
    // other files.
    if (isLink(path)) {
        RemoveDirectoryA(path.substr(0, path.size() - 1).c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "*.*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string item = path + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteFolderTree(item, isLink);
            else
                DeleteFileA(item.c_str()); // a link to a file goes, not the file
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}
