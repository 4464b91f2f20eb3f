// Walking the items of a folder, and deleting a folder tree.
#pragma once

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
// False when nothing could be listed.
bool ForEachInFolder(const std::string& pattern,
                     const std::function<void(const TFolderItem&)>& visit);

// Deletes the folder with everything in it; whatever cannot be deleted
// stays, and so do the folders holding it. Linked folders (reparse points),
// the given one included, are unlinked, never entered.
void DeleteFolderTree(const std::string& folder);
// The same with the test for links given (IsLink by default).
void DeleteFolderTree(const std::string& folder, bool (*isLink)(const std::string& path));
