#include "system/data_folders.h"

#include "base/folder_items.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "payload/diagnostic_log.h"
#include "payload/folders.h"
#include "system/folder_protection.h"

#include <windows.h>

#include <shlobj.h>

std::string DataFolderPath(TDataFolderKind kind, const TInstallTarget& target) {
    const std::string& destDir = target.DestDir;
    std::string folder;
    if (target.Portable) {
        // An empty destination would make a folder relative to the current one.
        if (!destDir.empty()) {
            folder = JoinPath(destDir, "");
            if (kind == TDataFolderKind::Spellcheck) folder += "Spellcheck\\";
        }
    } else if (kind == TDataFolderKind::Base) {
        // An installation for the user alone keeps its data where it roams
        // with the user and where no other user reaches.
        std::string root = SpecialFolder(
            target.Scope == TInstallScope::ForEveryone ? CSIDL_COMMON_APPDATA : CSIDL_APPDATA);
        if (root.empty()) root = SpecialFolder(CSIDL_PERSONAL);
        if (!root.empty()) folder = JoinPath(root, "Quorvale");
    } else if (kind == TDataFolderKind::Spellcheck) {
        const std::string shared = DataFolderPath(TDataFolderKind::Public, target);
        if (!shared.empty()) folder = shared + "Spellcheck\\";
    } else {
        const std::string base = DataFolderPath(TDataFolderKind::Base, target);
        if (!base.empty()) folder = base + (kind == TDataFolderKind::Hidden ? "Hidden" : "Public");
    }
    return folder.empty() ? folder : JoinPath(folder, "");
}

std::string DataFolder(TDataFolderKind kind, const TInstallTarget& target) {
    const std::string folder = DataFolderPath(kind, target);
    // Outermost first: asking for Spellcheck makes Base and Public too.
    MakeFolder(folder);
    return folder;
}

void SecureMachineDataFolder() {
    SecureMachineDataFolder({OwnedByAdministrators, HasReparsePoint});
}

void SecureMachineDataFolder(const TDataFolderChecks& checks) {
    const std::string base =
        DataFolderPath(TDataFolderKind::Base, {std::string(), false, TInstallScope::ForEveryone});
    if (base.empty()) return;
    const std::string folder = WithoutBackslash(base);
    TProtection protection(TProtectionKind::ForEveryone);
    TTakingBack rights;
    {
        // Made by someone to point elsewhere: the link goes, the folder is
        // made anew.
        const TOpenItem top = OpenItem(folder, DELETE, checks.IsLink);
        if (top.Handle && top.Link) {
            const bool removed = DeleteOpenItem(top);
            Diagnose("Data folder: " + folder + " is a link" +
                     (removed ? ": removed" : ", and it cannot be removed"));
            if (!removed) return;
        }
    }
    if (!FolderExists(folder)) {
        MakeFolder(base, protection.Attributes());
        return;
    }
    const bool owned = checks.OwnedByAdministrators(folder);
    bool link = false;
    WalkFolderTree(
        folder, 0, [&](const TOpenItem& item) { link = link || item.Link; }, checks.IsLink);
    if (owned && !link) return;
    Diagnose("Data folder: " + folder +
             (owned ? " holds a link" : " belongs to someone who is no administrator") +
             ": taken back for the administrators before anything is written into it");
    // Everything in it, and the folder itself last; links are removed
    // themselves, never entered.
    WalkFolderTree(
        folder, DELETE | WRITE_OWNER | WRITE_DAC,
        [&](const TOpenItem& item) {
            if (item.Link) {
                const bool removed = DeleteOpenItem(item);
                Diagnose(
                    "Data folder: the link " + item.Path +
                    (removed ? " removed" : " not removed, " + SystemErrorText(GetLastError())));
            } else if (!TakeBack(item.Handle.Get(), protection)) {
                Diagnose("Data folder: " + item.Path + ": owner and protection not reset, " +
                         SystemErrorText(GetLastError()));
            }
        },
        checks.IsLink);
}
