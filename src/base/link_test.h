// What counts as a link, for the code that refuses to follow one; free of
// windows.h, for the headers of the floors that keep out of it.
#pragma once

#include <cstdint>
#include <string>

// Whether an opened item counts as a link, given its path, the attributes
// its handle reports and its reparse tag (0 for an item without a reparse
// point). Tests play a link with a stand-in of their own: Wine makes none.
using TLinkTest = bool (*)(const std::string& path, uint32_t attributes, uint32_t reparseTag);
// A reparse point whose tag says that it stands for another name (a
// junction, a symbolic link), or whose tag cannot be read. Other reparse
// points (compressed, deduplicated or cloud files) hold the item's own
// data: they are ordinary items.
bool HasReparsePoint(const std::string& path, uint32_t attributes, uint32_t reparseTag);
