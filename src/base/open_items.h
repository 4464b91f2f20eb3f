// Items of the file system worked on through handles, so that what was
// checked is what is then used: an item inside an open folder is looked up
// in that very folder, never again along its path, and a link is opened
// itself, never followed. Someone who may change a folder cannot turn a
// deletion there into one somewhere else by swapping a name for a link.
#pragma once

#include "base/link_test.h"
#include "base/scoped_win.h"

#include <cstdint>
#include <string>
#include <vector>

// What a folder is opened with to be listed and held: a handle that reads
// its data takes part in sharing, so that while it is open nobody can
// rename the folder, remove it or replace it with a link.
constexpr uint32_t kEnterAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE;

struct TOpenItem {
    TFileHandle Handle; // invalid when the item could not be opened
    std::string Path;
    uint32_t Attributes = 0; // FILE_ATTRIBUTE_* as the open item reports them
    bool Link = false;       // never entered, whatever it points at

    // A folder that may be entered: a real one, not a link.
    bool IsFolder() const { return Handle && !Link && (Attributes & FILE_ATTRIBUTE_DIRECTORY); }
};

// One item of a folder's listing: its name as UTF-8 (for comparing and
// showing), the name exactly as the file system keeps it (for opening it),
// and the attributes the listing gives.
struct TListedItem {
    std::string Name;
    std::wstring ExactName;
    uint32_t Attributes;
};

// Every item is opened with `access` besides reading its attributes, and
// shared for reading and writing but never for deletion.
//
// Opens the item at `path` itself: a link there is opened, not followed
// (the folders above it are taken as the system finds them).
TOpenItem OpenItem(const std::string& path, uint32_t access, TLinkTest isLink);
// Opens the item of that name in the open folder.
TOpenItem OpenItemIn(const TOpenItem& folder, const std::string& name, uint32_t access,
                     TLinkTest isLink);
// Opens a listed item of the open folder; a folder also with kEnterAccess.
// A listed folder that has become a file since, or a file that has become a
// folder, is not opened.
TOpenItem OpenItemIn(const TOpenItem& folder, const TListedItem& listed, uint32_t access,
                     TLinkTest isLink);
// Makes a new file of that name in the open folder. Whatever is there
// already (a file, a link, a folder) is never opened: the last error is
// ERROR_ALREADY_EXISTS then.
TOpenItem CreateFileIn(const TOpenItem& folder, const std::string& name, uint32_t access,
                       TLinkTest isLink);
// Opens every folder of the full path `folder` from `root` down, when
// `folder` lies inside it, else from its drive's or share's root: each
// inside the one before, all held. The root itself is taken as the system
// finds it, so nothing above it may be in reach of those the chain guards
// against. With `made`, a missing folder is made inside the one before,
// and its path, with a trailing backslash, added to `made`. Empty when any
// is missing (or cannot be made), no folder, or a link (the last error is
// ERROR_CANT_ACCESS_FILE then), and for a path without a drive or share.
std::vector<TOpenItem> OpenFolderPath(const std::string& folder, const std::string& root,
                                      TLinkTest isLink, std::vector<std::string>* made = nullptr);

// Whether the open link is a volume mounted in a folder, as its reparse
// data (read through the handle) says: only administrators mount volumes,
// while a junction or a symbolic link can be planted by anyone who may
// write the folder it lies in.
bool IsVolumeMountPoint(const TOpenItem& link);
// Opens the root of the volume mounted at the open mount point, which
// stays held while it is used: nobody can put another link in its place.
// Named as the mount point; an invalid item for any other link.
TOpenItem OpenMountedVolume(const TOpenItem& mountPoint, uint32_t access, TLinkTest isLink);

// Lists the open folder through its handle ("." and ".." left out); with a
// pattern, only the names that match it as the system matches wildcards
// ("*" and "?", letter case ignored). False when it cannot be listed.
bool ListOpenFolder(const TOpenItem& folder, std::vector<TListedItem>& items,
                    const std::string& pattern = std::string());

// How many names (hard links) the open file has; 0 when the system cannot
// say.
uint32_t LinkCount(const TOpenItem& item);

// Renames the open item to `target` (a full path) through its handle,
// replacing an item there only when `replace`. False, with the system's
// reason as the last error, when refused.
bool RenameOpenItem(HANDLE item, const std::string& target, bool replace);

// Marks the open item for deletion through its handle: it goes when the last
// handle to it is closed. A file, a link (the link, never what it points
// at) or an empty folder; false, with the system's reason as the last
// error, for a read-only file, a folder that is not empty, or an item
// opened without DELETE access.
bool DeleteOpenItem(const TOpenItem& item);

// The file system's own call for changing an open item (a rename, a
// deletion), which every Windows NT has: Win32 offers it only from Windows
// Vista on. False, with the system's reason as the last error, when
// refused.
bool SetOpenItemInformation(HANDLE item, int informationClass, void* data, uint32_t size);
