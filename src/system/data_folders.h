// Where the product's files go: shell special folders, the portable test,
// joining names to folders, and the product's data folders.
#pragma once

#include <string>

// Exactly one backslash between folder and name; a trailing "/" of the
// folder becomes that backslash; an empty folder gives the name alone.
// JoinPath(folder, "") adds the trailing backslash.
std::string JoinPath(const std::string& folder, const std::string& name);

// The path of a shell special folder by its CSIDL number, or empty. Never
// creates the folder. Empty until InitShellFolders has run.
std::string SpecialFolder(int csidl);

// Whether the destination folder lies on removable media (a removable
// drive, or a fixed drive on USB or IEEE 1394 or with removable media).
// Asked afresh at every call.
bool IsPortable(const std::string& destDir);
// The part of IsPortable that reads a STORAGE_DEVICE_DESCRIPTOR: bus type
// 4 (1394) or 7 (USB) at offset 28, or the RemovableMedia byte at offset 10.
bool StorageDescriptorIsPortable(const unsigned char* descriptor, size_t size);

enum class TDataFolderKind { Base, Hidden, Public, Spellcheck };
// The data folder of that kind for the destination, ending with a backslash;
// it exists (MakeFolder, with its log lines) when this returns. Portable:
// the destination folder (Spellcheck: its "Spellcheck\" subfolder).
// Otherwise under the common application-data folder (else the documents
// folder) followed by "Quorvale". Empty when no folder can be found.
// `portable` is the installation's one decision (IsPortable when it began).
std::string DataFolder(TDataFolderKind kind, const std::string& destDir, bool portable);

// Deletes the folder with everything in it; whatever cannot be deleted
// stays, and so do the folders holding it. Linked folders (reparse points),
// the given one included, are unlinked, never entered.
void DeleteFolderTree(const std::string& folder);
// The same with the test for links given (IsLink above).
void DeleteFolderTree(const std::string& folder, bool (*isLink)(const std::string& path));

// Called at the top of WinMain: initialises OLE for the main thread and
// binds SHGetFolderPathA from shell32.dll, else from shfolder.dll, both
// loaded from the system folder only.
void InitShellFolders();
// Called at exit: releases what InitShellFolders took.
void DoneShellFolders();

// Loads a system DLL by its full path in the system folder, never from the
// program's own folder or the current folder (where a planted copy could
// run with the setup's rights).
void* LoadSystemLibrary(const char* name);
