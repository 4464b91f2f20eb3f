// Shell special folders (program files, application data, the start menu,
// ...), found through SHGetFolderPathW.
#pragma once

#include <string>

// The path of a shell special folder by its CSIDL number, or empty. Never
// creates the folder. Empty until InitShellFolders has run.
std::string SpecialFolder(int csidl);

// Called at the top of WinMain: initialises OLE for the main thread and
// binds SHGetFolderPathW from shell32.dll, else from shfolder.dll, both
// loaded from the system folder only.
void InitShellFolders();
// Called at exit: releases what InitShellFolders took.
void DoneShellFolders();
