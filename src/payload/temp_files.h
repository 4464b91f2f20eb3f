// The program's temporary files: TempFolder + TempPrefix + number + ".tmp".
// Leftovers are removed when the catalogue is destroyed, or by the next run.
#pragma once

#include <string>

// The system's temporary folder, or the documents folder when that does
// not exist; with a trailing backslash.
std::string TempFolder();
// "~" followed by the letters of the application title.
std::string TempPrefix();
// The first free name TempFolder + TempPrefix + n + ".tmp", n = 0, 1, ...;
// the file is not created.
std::string TempFileName();
// Removes every item of TempFolder whose name begins with TempPrefix
// (letter case counts); results are not examined.
void CleanTempFiles();
