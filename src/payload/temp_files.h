// The program's temporary files: TempFolder + TempPrefix + number + ".tmp".
// Leftovers are removed when the catalogue is destroyed, or by the next run.
#pragma once

#include "base/open_items.h"

#include <string>

// The system's temporary folder, or the documents folder when that does
// not exist; with a trailing backslash.
std::string TempFolder();
// "~" followed by the letters of the application title.
std::string TempPrefix();
// Creates a new empty file TempFolder + TempPrefix + n + ".tmp", n a random
// number (another one when the name is taken), and returns its name; empty
// when no file could be created. Nothing that was there before is opened.
std::string TempFileName();

// Files are written under a name of this form in their target folder and
// then moved over the target: folder + WritePrefix() + number + ".tmp". The
// test of write access tries an item of the same form.
std::string WritePrefix();
// Removes from the folder the items of that form that an earlier run left
// behind when it was killed: the files it was writing, and the empty
// folders its test of write access made. A link of that form is left alone.
void RemoveLeftoverWrites(const std::string& folder, TLinkTest isLink = HasReparsePoint);
// Removes every item of TempFolder whose name begins with TempPrefix
// (letter case counts), a folder with everything in it and a link itself,
// never what it points at; results are not examined.
void CleanTempFiles(TLinkTest isLink = HasReparsePoint);
