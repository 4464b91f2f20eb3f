// Folders and files on disk, by their ANSI names.
#pragma once

#include "payload/file_time.h"

#include <string>

// Whether the path names an existing folder, spelled the way the system
// spells it: "." or ".." parts, doubled backslashes or forward slashes
// count as not existing. Leaves the current folder alone, so it is safe
// while the other thread works.
bool FolderExists(const std::string& path);
// Whether the path names an existing file (a folder does not count).
bool FileExists(const std::string& path);
struct _SECURITY_ATTRIBUTES;
// Creates the folder (given with a trailing backslash) and its missing
// parents, outermost first, adding "Made Dir: " + path to the installation
// log for each one it tries to create. The outermost folder it creates gets
// `outermost` (its protection, which those below inherit), when given.
void MakeFolder(const std::string& path, _SECURITY_ATTRIBUTES* outermost = nullptr);
