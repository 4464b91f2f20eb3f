// Which payload entry names the installer may join to a folder and write.
// A payload from our own packer never holds anything else; one built by
// another tool might name a file outside the folder it is installed into
// ("Templates\..\..\x", "Templates\C:\x"), a device ("Templates\CON.kwt")
// or a name Windows would store as another file. This file knows nothing of
// Windows so that it also builds natively.
#pragma once

#include <string>

namespace payload {

// True for a relative name of 1 to 255 bytes whose elements, separated by
// single "\", are neither empty, "." nor "..", hold no ":" "/" "<>\"|?*" or
// control character, do not end in a dot or blank, and are no device name
// (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$, with or
// without an extension).
bool IsSafeEntryName(const std::string& name);

} // namespace payload
