// Whether a path names an existing folder or file.
#pragma once

#include <string>

// Whether the path names an existing folder, spelled the way the system
// spells it: "." or ".." parts, doubled backslashes or forward slashes
// count as not existing. Leaves the current folder alone, so it is safe
// while the other thread works.
bool FolderExists(const std::string& path);
// Whether the path names an existing file (a folder does not count).
bool FileExists(const std::string& path);
