// The product's shell links: one in the Start menu's programs folder and,
// when the user wants it, one on the desktop, for everyone or for the
// current user only.
#pragma once

#include "base/link_test.h"
#include "system/install_scope.h"

#include <string>

inline constexpr char kShortcutName[] = "Quorvale Word Processor.lnk";
inline constexpr char kShortcutDescription[] =
    "Compact, fast-loading, but still powerful and efficient word processor.";

// Writes one shell link through IShellLinkW and IPersistFile, making the
// link's folder first (with "Made Dir: " lines) and logging the link as a
// "File Copy: " line once it is saved. The folders down to the link's are
// opened with links refused and held while it is saved; a link on the way,
// or under the link's own name once it is saved, makes it fail. False when
// the link could not be made. OLE must be initialised on the calling
// thread.
bool CreateShortcut(const std::string& linkPath, const std::string& target,
                    const std::string& workingFolder, const std::string& description,
                    TLinkTest isLink = HasReparsePoint);
// Removes the link at `linkPath`, opened in its folder as CreateShortcut
// opens it and deleted through its handle: a link under that name goes
// itself, a folder stays.
void DeleteShortcut(const std::string& linkPath, TLinkTest isLink = HasReparsePoint);

// The two folders of a shortcut place: the one chosen by the scope and the
// one of the other scope. Place 0 is the Start menu's programs folder,
// place 1 the desktop.
struct TShortcutFolders {
    std::string Chosen, Other;
};
TShortcutFolders ShortcutFolders(int place, bool installToAll);

// For the Start menu and then the desktop: makes the link to kel.exe in
// the chosen scope (on the desktop only when `desktop` is set) and removes
// the link the other scope may hold from an earlier installation. A scope
// whose folder is unknown gives way to the other one. A link for everyone
// that cannot be saved goes to the user's own folder instead, and the
// user's own link is then kept. An installation for the user alone makes
// the user's own links and leaves those for everyone alone.
void PlaceShortcuts(const std::string& destDir, bool installToAll, bool desktop,
                    TInstallScope scope);

// Whether links for everyone can be written here: false when this user may
// not write the common Start menu's programs folder.
bool CanPlaceCommonShortcuts();
