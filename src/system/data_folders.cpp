#include "system/data_folders.h"

#include "base/folder_items.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "payload/diagnostic_log.h"
#include "payload/folders.h"
#include "system/folder_protection.h"

#include <windows.h>

#include <shlobj.h>

std::string DataFolderPath(TDataFolderKind kind, const std::string& destDir, bool portable,
                           TInstallScope scope) {
    std::string folder;
    if (portable) {
        // An empty destination would make a folder relative to the current one.
        if (!destDir.empty()) {
            folder = JoinPath(destDir, "");
            if (kind == TDataFolderKind::Spellcheck) folder += "Spellcheck\\";
        }
    } else if (kind == TDataFolderKind::Base) {
        // An installation for the user alone keeps its data where it roams
        // with the user and where no other user reaches.
        std::string root = SpecialFolder(scope == TInstallScope::ForEveryone ? CSIDL_COMMON_APPDATA
                                                                             : CSIDL_APPDATA);
        if (root.empty()) root = SpecialFolder(CSIDL_PERSONAL);
        if (!root.empty()) folder = JoinPath(root, "Quorvale");
    } else if (kind == TDataFolderKind::Spellcheck) {
        const std::string shared =
            DataFolderPath(TDataFolderKind::Public, destDir, portable, scope);
        if (!shared.empty()) folder = shared + "Spellcheck\\";
    } else {
        const std::string base = DataFolderPath(TDataFolderKind::Base, destDir, portable, scope);
        if (!base.empty()) folder = base + (kind == TDataFolderKind::Hidden ? "Hidden" : "Public");
    }
    return folder.empty() ? folder : JoinPath(folder, "");
}

std::string DataFolder(TDataFolderKind kind, const std::string& destDir, bool portable,
                       TInstallScope scope) {
    const std::string folder = DataFolderPath(kind, destDir, portable, scope);
    // Outermost first: asking for Spellcheck makes Base and Public too.
    MakeFolder(folder);
    return folder;
}

namespace {
// Whether anything below the folder (with a trailing backslash) is a link.
bool HoldsLink(const std::string& folder, const TDataFolderChecks& checks) {
    bool found = false;
    ForEachInFolder(folder + "*.*", [&](const TFolderItem& item) {
        const std::string path = folder + item.Name;
        if (found) return;
        if (item.IsLink() || checks.IsLink(path))
            found = true;
        else if (item.IsFolder())
            found = HoldsLink(path + "\\", checks);
    });
    return found;
}

// Everything below the folder back to the administrators, from the top
// down (a folder must be theirs before what it holds can be listed);
// links are removed themselves, never entered.
void TakeBackBelow(const std::string& folder, const TDataFolderChecks& checks,
                   TProtectionForEveryone& protection) {
    ForEachInFolder(folder + "*.*", [&](const TFolderItem& item) {
        const std::string path = folder + item.Name;
        if (item.IsLink() || checks.IsLink(path)) {
            const bool removed = item.IsFolder() ? RemoveDirectoryA(path.c_str()) != FALSE
                                                 : DeleteFileA(path.c_str()) != FALSE;
            Diagnose("Data folder: the link " + path + (removed ? " removed" : " not removed, ") +
                     (removed ? std::string() : SystemErrorText(GetLastError())));
            return;
        }
        TakeBack(path, protection);
        if (item.IsFolder()) TakeBackBelow(path + "\\", checks, protection);
    });
}
} // namespace

void SecureMachineDataFolder() {
    SecureMachineDataFolder({OwnedByAdministrators, IsLink});
}

void SecureMachineDataFolder(const TDataFolderChecks& checks) {
    const std::string base =
        DataFolderPath(TDataFolderKind::Base, std::string(), false, TInstallScope::ForEveryone);
    if (base.empty()) return;
    TProtectionForEveryone protection;
    const std::string folder = WithoutBackslash(base);
    if (checks.IsLink(folder)) {
        // Made by someone to point elsewhere: the link goes, the folder is
        // made anew.
        RemoveDirectoryA(folder.c_str());
        Diagnose("Data folder: " + folder + " was a link: removed");
    }
    if (!FolderExists(folder)) {
        MakeFolder(base, protection.Attributes());
        return;
    }
    const bool owned = checks.OwnedByAdministrators(folder);
    if (owned && !HoldsLink(base, checks)) return;
    Diagnose("Data folder: " + folder +
             (owned ? " holds a link" : " belongs to someone who is no administrator") +
             ": taken back for the administrators before anything is written into it");
    if (!TakeBack(folder, protection))
        Diagnose("Data folder: its owner and protection cannot be reset (" +
                 SystemErrorText(GetLastError()) + ")");
    TakeBackBelow(base, checks, protection);
}
