// The program's temporary files: TempFolder + TempPrefix + number + ".tmp".
// Leftovers are removed when the catalogue is destroyed, or by the next run.
#pragma once

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
// then moved over the target: folder + WritePrefix() + number + ".tmp".
std::string WritePrefix();
// Removes from the folder (with a trailing backslash) the files of that form
// that an earlier run, killed while writing, left behind.
void RemoveLeftoverWrites(const std::string& folder);
// Removes every item of TempFolder whose name begins with TempPrefix
// (letter case counts); results are not examined.
void CleanTempFiles();
