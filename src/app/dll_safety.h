// Keeps DLLs planted beside setup.exe or in the current folder from being
// loaded. A setup program usually starts from a downloads folder that any
// web page can drop files into, and with elevation a DLL loaded from there
// would run as administrator.
#pragma once

// Limits the search for DLLs loaded by name, ours and the system's, to the
// system folder, and drops the current folder from it. Uses
// SetDefaultDllDirectories and SetDllDirectoryA where the system has them
// (looked up at run time: Windows 2000 has neither); where the first is
// missing, loads the DLLs that system DLLs ask for later by full system path
// instead. Call it first in main.
void RestrictDllSearch();
