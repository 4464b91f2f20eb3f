#include "system/shortcuts.h"

#include "base/paths.h"
#include "base/shell_folders.h"
#include "payload/diagnostic_log.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "system/com_ptr.h"
#include "system/write_access.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace {
// The CSIDL numbers of a place: for everyone, for the current user.
constexpr struct {
    int Common, User;
} kPlaces[] = {
    {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS},
    {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY},
};
} // namespace

bool CreateShortcut(const std::string& linkPath, const std::string& target,
                    const std::string& workingFolder, const std::string& description) {
    TComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                VoidOut(link))) ||
        !link.Get())
        return false;
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    link->SetDescription(description.c_str());
    TComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, VoidOut(file))) || !file.Get()) return false;

    const size_t slash = linkPath.find_last_of('\\');
    if (slash != std::string::npos) MakeFolder(linkPath.substr(0, slash + 1));
    const HRESULT saved = file->Save(WideFromAnsi(linkPath).c_str(), TRUE);
    // The uninstaller removes what the log names: only a link that is there.
    if (SUCCEEDED(saved)) AddLogLine("File Copy: " + linkPath);
    Diagnose("Link: " + linkPath + " -> " + target +
             (SUCCEEDED(saved) ? std::string() : " FAILED, " + SystemErrorText(uint32_t(saved))));
    return SUCCEEDED(saved);
}

TShortcutFolders ShortcutFolders(int place, bool installToAll) {
    const auto& csidl = kPlaces[place == 0 ? 0 : 1];
    TShortcutFolders folders{SpecialFolder(installToAll ? csidl.Common : csidl.User),
                             SpecialFolder(installToAll ? csidl.User : csidl.Common)};
    if (folders.Chosen.empty()) folders.Chosen = folders.Other;
    return folders;
}

void PlaceShortcuts(const std::string& destDir, bool installToAll, bool desktop,
                    TInstallScope scope) {
    const bool forEveryone = scope == TInstallScope::ForEveryone;
    installToAll = installToAll && forEveryone;
    const std::string target = JoinPath(destDir, "kel.exe");
    for (int place = 0; place < 2; ++place) {
        const TShortcutFolders folders = ShortcutFolders(place, installToAll);
        const std::string chosen = JoinPath(folders.Chosen, kShortcutName);
        const std::string other = JoinPath(folders.Other, kShortcutName);
        const bool wanted = place == 0 || desktop;
        // With neither folder known there is nowhere to put the link.
        bool saved = false;
        if (wanted && !folders.Chosen.empty())
            saved = CreateShortcut(chosen, target, destDir, kShortcutDescription);
        if (wanted && !saved && installToAll && !folders.Other.empty() && other != chosen) {
            // No right to write the link for everyone: the user's own
            // link, which then stays.
            CreateShortcut(other, target, destDir, kShortcutDescription);
            continue;
        }
        // A link an earlier installation made for the other scope would
        // show twice, or point at an old folder.
        if (!folders.Other.empty() && other != chosen && forEveryone) DeleteFileA(other.c_str());
    }
}

bool CanPlaceCommonShortcuts() {
    const std::string common = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    return common.empty() || FolderWriteAccess(common) != TWriteAccess::Denied;
}
