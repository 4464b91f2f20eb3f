// Folders and files on disk, by their ANSI names.
#pragma once

#include "payload/file_time.h"

#include <string>

struct _SECURITY_ATTRIBUTES;
// Creates the folder (given with a trailing backslash) and its missing
// parents, outermost first, adding "Made Dir: " + path to the installation
// log for each one it tries to create. The outermost folder it creates gets
// `outermost` (its protection, which those below inherit), when given.
void MakeFolder(const std::string& path, _SECURITY_ATTRIBUTES* outermost = nullptr);
