#include "system/shortcuts.h"

#include "base/open_items.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "payload/diagnostic_log.h"
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

// The folders down to the link's, held. The user's own shell folders lie in
// his profile, where his programs may make any folder a link and send an
// administrator's run to write or delete elsewhere; the profile folder
// itself he cannot rename or replace (that takes changing the profiles'
// folder above it), so the chain starts there. Links for everyone, and
// folders redirected out of the profile, start at their drive's or share's
// root.
std::vector<TOpenItem> LinkFolders(const std::string& linkPath, TLinkTest isLink,
                                   std::vector<std::string>* made = nullptr) {
    return OpenFolderPath(linkPath.substr(0, linkPath.find_last_of('\\') + 1),
                          SpecialFolder(CSIDL_PROFILE), isLink, made);
}

std::string LinkName(const std::string& linkPath) {
    return linkPath.substr(linkPath.find_last_of('\\') + 1);
}
} // namespace

bool CreateShortcut(const std::string& linkPath, const std::string& target,
                    const std::string& workingFolder, const std::string& description,
                    TLinkTest isLink) {
    TComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                VoidOut(link))) ||
        !link.Get())
        return false;
    link->SetPath(WideText(target).c_str());
    link->SetWorkingDirectory(WideText(workingFolder).c_str());
    link->SetDescription(WideText(description).c_str());
    TComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, VoidOut(file))) || !file.Get()) return false;

    std::vector<std::string> made;
    const std::vector<TOpenItem> folders = LinkFolders(linkPath, isLink, &made);
    HRESULT saved = HRESULT_FROM_WIN32(GetLastError()); // why the folders failed
    if (SUCCEEDED(saved)) saved = E_FAIL;
    for (const std::string& folder : made)
        AddLogLine("Made Dir: " + folder);
    const std::string name = LinkName(linkPath);
    if (!folders.empty()) {
        // The save goes by path, and would write through a link under the
        // link's name: one there goes first, itself.
        if (const TOpenItem old = OpenItemIn(folders.back(), name, DELETE, isLink); old.Link)
            DeleteOpenItem(old);
        saved = file->Save(WideText(linkPath).c_str(), TRUE);
        const TOpenItem written = OpenItemIn(folders.back(), name, 0, isLink);
        if (SUCCEEDED(saved) &&
            (written.Link || !written.Handle || (written.Attributes & FILE_ATTRIBUTE_DIRECTORY)))
            saved = HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE);
    }
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
        if (!folders.Other.empty() && other != chosen && forEveryone) DeleteShortcut(other);
    }
}

void DeleteShortcut(const std::string& linkPath, TLinkTest isLink) {
    const std::vector<TOpenItem> folders = LinkFolders(linkPath, isLink);
    if (folders.empty()) return;
    const TOpenItem link = OpenItemIn(folders.back(), LinkName(linkPath), DELETE, isLink);
    if (!link.IsFolder()) DeleteOpenItem(link);
}

bool CanPlaceCommonShortcuts() {
    const std::string common = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    return common.empty() || FolderWriteAccess(common) != TWriteAccess::Denied;
}
