// The licence page's text, read from the product's own "License.txt".
#pragma once

#include <windows.h>

class TAttachedFiles;

// Shows the licence of the product's files in the multi-line edit `memo`.
// False when the user gave up in the question about a file that could not
// be written.
bool ShowLicense(HWND memo, TAttachedFiles& files);
