// Where the product's data files go: the portable test and the product's
// data folders.
#pragma once

#include "base/open_items.h"
#include "system/install_target.h"

#include <string>

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
// Otherwise, for everyone, under the common application-data folder (else
// the documents folder) followed by "Quorvale"; for me, under the user's
// own application data (else the documents folder) followed by "Quorvale".
// Empty when no folder can be found.
std::string DataFolder(TDataFolderKind kind, const TInstallTarget& target);
// What the check of the machine-wide data folder asks of an item; the
// tests play links and owners that Wine cannot make.
struct TDataFolderChecks {
    bool (*OwnedByAdministrators)(const std::string& path);
    TLinkTest IsLink;
};
// Before an installation for everyone writes into the machine-wide data
// folder (the common application data followed by "Quorvale"). One that
// the administrators alone may change, with no link and no file of several
// names anywhere in it, is kept. Any other (someone else's, one users may
// add or change items in, one made by an earlier version) is moved aside
// with everything in it, renamed through its handle to "Quorvale.1" (or
// the next free number, up to 9) beside it. A missing or moved one is then made
// for administrators to change and users to read and run, and read back.
// Empty when the folder may be written into; otherwise why not (also in
// the diagnostic log), and nothing is to be written into it.
std::string SecureMachineDataFolder();
std::string SecureMachineDataFolder(const TDataFolderChecks& checks);

// The same path, the folder left as it is.
std::string DataFolderPath(TDataFolderKind kind, const TInstallTarget& target);
