// What counts as a link, for the code that refuses to follow one; free of
// windows.h, for the headers of the floors that keep out of it.
#pragma once

#include <cstdint>
#include <string>

// Whether an opened item counts as a link (a junction, a symbolic link or
// another reparse point), given its path and the attributes its handle
// reports. Tests play a link with a stand-in of their own: Wine makes none.
using TLinkTest = bool (*)(const std::string& path, uint32_t attributes);
bool HasReparsePoint(const std::string& path, uint32_t attributes);
