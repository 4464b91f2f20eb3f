// The rules a destination must pass before an installation takes it over,
// whoever gives it (the destination page, or "-d" and its kin): a full,
// plain local or network folder path, short enough for every file of the
// product. Text only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The product's own folder name, added below a drive root or the Program
// Files folder.
inline constexpr char kProductFolder[] = "Quorvale";

// The typed destination made usable, in this order: blanks (not tabs) go
// from both ends; a text without a drive part, or one naming a drive
// without its root ("d:Games"), becomes the root of its drive ("d:"; the
// current drive when it names none); one trailing backslash goes; a drive
// root and the Program Files folder (letter case aside) get "Quorvale"
// added.
std::string NormalizedDestination(const std::string& typed, char currentDrive,
                                  const std::string& programFiles);

// Why a destination given on the command line (before it is tidied)
// cannot be taken, or empty: it must be a full path, with a drive and its
// root ("C:\...") or a network share ("\\server\share..."); an empty
// or relative one would land wherever the setup program was started.
std::string GivenDestinationRefusal(const std::string& given);

// Whether the path is a plain folder path: a drive letter, ":" and "\"
// followed by folder names, or "\\server\share" followed by folder names.
// Refused: "\\?\" and "\\.\" forms, a ":" after the drive (streams),
// wildcards and the other characters Windows forbids in names, empty names,
// names ending in a dot or a blank, and device names (CON, NUL, COM1, ...).
bool IsPlainFolderPath(const std::string& path);

// The longest destination path under which every one of these relative
// file names (and the new file each is first written to) can be written:
// file paths stay below MAX_PATH and folder paths below the limit of
// CreateDirectory.
size_t LongestDestination(const std::vector<std::string>& names);

// Why the folder cannot be the destination, in words for the user, or
// empty when it can.
std::string DestinationRefusal(const std::string& folder, size_t longest);

// The message for a folder this user may not write to: the folder, and the
// two ways out (`own` is a folder of the user's own to suggest, or empty).
std::string NoWriteAccessMessage(const std::string& folder, const std::string& own);
