// Where the product's data files go: the portable test and the product's
// data folders.
#pragma once

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
// Otherwise under the common application-data folder (else the documents
// folder) followed by "Quorvale". Empty when no folder can be found.
// `portable` is the installation's one decision (IsPortable when it began).
std::string DataFolder(TDataFolderKind kind, const std::string& destDir, bool portable);
