#include "base/folder_items.h"

#include "base/paths.h"
#include "base/scoped_win.h"

#include <windows.h>

static_assert(FILE_ATTRIBUTE_DIRECTORY == 0x10 && FILE_ATTRIBUTE_REPARSE_POINT == 0x400,
              "the attribute bits that TFolderItem tests");

bool ForEachInFolder(const std::string& pattern,
                     const std::function<void(const TFolderItem&)>& visit) {
    WIN32_FIND_DATAA found;
    TFindHandle find(FindFirstFileA(pattern.c_str(), &found));
    if (!find) return false;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        visit(TFolderItem{name, found.dwFileAttributes, found.nFileSizeLow});
    } while (FindNextFileA(find.Get(), &found));
    return true;
}

void DeleteFolderTree(const std::string& folder) {
    DeleteFolderTree(folder, IsLink);
}

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
    ForEachInFolder(path + "*.*", [&](const TFolderItem& item) {
        if (item.IsFolder())
            DeleteFolderTree(path + item.Name, isLink);
        else
            DeleteFileA((path + item.Name).c_str()); // a link to a file goes, not the file
    });
    RemoveDirectoryA(path.c_str());
}
