#include "system/data_folders.h"

#include "base/paths.h"
#include "base/shell_folders.h"
#include "payload/folders.h"

#include <windows.h>

#include <shlobj.h>

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
