// The path rules of the destination page and its folder list: tidying the
// typed folder, and walking paths up and across drives. Text only; the
// folder tests and volume queries stay with the widgets.
#pragma once

#include <string>
#include <vector>

// The product's own folder name, added below a drive root or the Program
// Files folder.
constexpr char kProductFolder[] = "Quorvale";

// The typed destination made usable, in this order: blanks (not tabs) go
// from both ends; a text without a drive part, or one naming a drive
// without its root ("d:Games"), becomes the root of its drive ("d:"; the
// current drive when it names none); one trailing backslash goes; a drive
// root and the Program Files folder (letter case aside) get "Quorvale"
// added.
std::string NormalizedDestination(const std::string& typed, char currentDrive,
                                  const std::string& programFiles);

// The path with one trailing backslash removed, if it has one.
std::string WithoutBackslash(const std::string& path);
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
std::vector<std::string> OpenFolderChain(const std::string& directory);
// What a folder-list item shows: the drive ("c:") for the root, else the
// last element of its path.
std::string ShownFolderName(const std::string& item, bool isRoot);
