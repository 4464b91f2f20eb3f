// Walking the items of a folder, and deleting a folder tree.
#pragma once

#include "base/open_items.h"

#include <cstdint>
#include <functional>
#include <string>

struct TFolderItem {
    std::string Name;    // the name alone, never "." or ".."
    uint32_t Attributes; // FILE_ATTRIBUTE_* as the listing gives them
    uint32_t SizeLow;    // the low 32 bits of the size the listing gives

    bool IsFolder() const { return Attributes & 0x10; } // FILE_ATTRIBUTE_DIRECTORY
    bool IsLink() const { return Attributes & 0x400; }  // FILE_ATTRIBUTE_REPARSE_POINT
};

// Calls `visit` for every item that matches `pattern` (a folder followed by
// a wildcard name, as "C:\Apps\*.*"), in the order the listing gives them.
// False when nothing could be listed. For reading only: what it reports
// may have changed by the time it is used.
bool ForEachInFolder(const std::string& pattern,
                     const std::function<void(const TFolderItem&)>& visit);

// Visits everything below the open folder and then the folder itself, each
// item opened (a link itself, never what it points at) with `access` and
// held while it is visited; a folder is held, unshared for deletion, while
// the items in it are visited, so that nothing on the way can be renamed or
// swapped for a link meanwhile. Links are visited, never entered. An item
// is visited after everything in it. False when an item could not be opened
// with `access`, a folder could not be listed or lies too deep: what could
// be reached is visited all the same.
using TWalkVisit = std::function<void(const TOpenItem& item)>;
bool WalkFolderTree(const TOpenItem& folder, uint32_t access, const TWalkVisit& visit,
                    TLinkTest isLink = HasReparsePoint);
// The same from a path: the item there is opened itself (a link is
// visited, not entered). False when nothing is there to open.
bool WalkFolderTree(const std::string& folder, uint32_t access, const TWalkVisit& visit,
                    TLinkTest isLink = HasReparsePoint);

// Deletes the open item (opened with DELETE and kEnterAccess): a file or a
// link itself, a folder with everything in it. Whatever cannot be deleted
// stays, and so do the folders holding it.
void DeleteItemTree(const TOpenItem& item, TLinkTest isLink = HasReparsePoint);
// Deletes the folder with everything in it, the same way. A link, the
// given one included, is unlinked, never entered: someone who could write
// to the folder above may have put it there to point at other files. A
// file given is left alone.
void DeleteFolderTree(const std::string& folder, TLinkTest isLink = HasReparsePoint);
