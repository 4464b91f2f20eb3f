// Reads a shell link back through the shell's own link object, the way
// the desktop and the Start menu see it.
#pragma once

#include <string>

namespace e2e {

struct TShellLink {
    bool Loaded = false; // false when the file is missing or no link
    std::string Path, WorkingFolder, Description, Arguments;
};

TShellLink ReadShellLink(const std::string& linkPath);

} // namespace e2e
