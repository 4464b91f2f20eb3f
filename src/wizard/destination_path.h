// The path rules of the destination page's folder list: walking paths up
// and across drives. Text only; the folder tests and volume queries stay
// with the widgets.
#pragma once

#include "base/paths.h"

#include <string>
#include <vector>

// The folder above: the path up to and with its last backslash, after one
// trailing backslash is dropped ("c:\a\b\" and "c:\a\b" give "c:\a\").
std::string ParentPath(const std::string& path);
// The same folder on another drive: the letter followed by everything from
// the path's ":" on; empty when the path has no ":".
std::string PathOnDrive(const std::string& path, char letter);
// How many backslashes the path holds.
int BackslashCount(const std::string& path);

// The open folders of the folder list, from the root down to `directory`
// itself: "c:\a\b\" gives "c:\", "c:\a", "c:\a\b".
std::vector<std::string> FoldersFromRoot(const std::string& directory);
// What a folder-list item shows: the drive ("c:") for the root, else the
// last element of its path.
std::string ShownFolderName(const std::string& item, bool isRoot);
