#include "system/data_folders.h"

#include "base/folder_items.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "payload/diagnostic_log.h"
#include "payload/folders.h"
#include "payload/install_log.h"
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

namespace {
// Why the existing folder, held open as `top`, is not the administrators'
// alone ("holds ... at" the item), or empty. Each item is looked at by its
// path while it and the folders above it are held unshared for deletion:
// the path names the item opened.
std::string Foreign(const TOpenItem& top, const TDataFolderChecks& checks) {
    std::string why;
    const bool complete = WalkFolderTree(
        top, 0,
        [&](const TOpenItem& item) {
            const char* what = nullptr;
            if (item.Link) what = " holds a link at ";
            // A file of several names is someone else's file too: whatever
            // is done to it here is done there.
            else if (!item.IsFolder() && LinkCount(item) != 1)
                what = " holds a file with other names at ";
            else if (!checks.OwnedByAdministrators(item.Path))
                what = " holds an item of someone who is no administrator at ";
            // Earlier versions made the folder with the protection of the
            // folder above, which lets users add items. It is not
            // protected in place: a user could have added or opened items
            // there all along, and a handle keeps the rights it was opened
            // with whatever the protection becomes. Moved aside, nothing
            // of theirs is left where the installation writes.
            else if (UsersMayWrite(item.Path))
                what = " holds an item that users may change at ";
            if (what && why.empty()) why = what + item.Path;
        },
        checks.IsLink);
    if (why.empty() && !complete) why = " holds items that cannot be read";
    return why;
}
} // namespace

std::string SecureMachineDataFolder() {
    return SecureMachineDataFolder({OwnedByAdministrators, HasReparsePoint});
}

std::string SecureMachineDataFolder(const TDataFolderChecks& checks) {
    const std::string base =
        DataFolderPath(TDataFolderKind::Base, {std::string(), false, TInstallScope::ForEveryone});
    if (base.empty()) return base;
    const std::string folder = WithoutBackslash(base);
    TTakingBack rights;
    std::string refusal; // after the folder's name; the system's reason follows
    DWORD error = 0;
    {
        // Held unshared for deletion from the check to the move: nobody
        // renames it or swaps it for a link meanwhile.
        const TOpenItem top = OpenItem(folder, DELETE | kEnterAccess, checks.IsLink);
        error = GetLastError();
        if (top.Handle) {
            const std::string why = Foreign(top, checks);
            if (why.empty()) return why;
            // Never taken back in place: its items keep their contents
            // where the log says, and nothing there is written through.
            std::string aside = folder + ".0";
            bool moved = false;
            do {
                ++aside.back();
                moved = RenameOpenItem(top.Handle.Get(), aside, false);
                error = GetLastError();
            } while (!moved && error == ERROR_ALREADY_EXISTS && aside.back() < '9');
            if (moved)
                Diagnose("Data folder: " + folder + why + ": moved aside to " + aside);
            else
                refusal = why + " and cannot be moved aside";
        } else if (error != ERROR_FILE_NOT_FOUND) {
            refusal = " cannot be opened";
        }
    }
    if (refusal.empty()) {
        // A folder someone made a moment ago is theirs, whatever its name:
        // it already exists.
        TProtection protection(TProtectionKind::ForEveryone);
        SECURITY_ATTRIBUTES* attributes = protection.Attributes();
        const TOpenItem made = attributes && CreateDirectoryW(WideText(folder).c_str(), attributes)
                                   ? OpenItem(folder, kEnterAccess, checks.IsLink)
                                   : TOpenItem{};
        error = GetLastError();
        if (!made.Handle) {
            refusal = " cannot be made";
        } else {
            AddLogLine("Made Dir: " + base);
            error = 0;
            if (!made.IsFolder() || !checks.OwnedByAdministrators(folder) || UsersMayWrite(folder))
                refusal = " is not as it was made";
        }
    }
    if (refusal.empty()) return refusal;
    refusal = folder + refusal;
    if (error) refusal += " (" + SystemErrorText(error) + ")";
    Diagnose("Data folder: " + refusal + "; nothing is installed");
    return refusal;
}
