// The product's entry in the system's list of installed programs, under
// the local machine (or the user's own). The uninstaller is the word processor itself, started
// with "-ui".
#pragma once

#include <string>

class TRegistry;

inline constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvale Word Processor";
inline constexpr char kPublisher[] = "The Quorvale Word Processor Team";

// Switches `registry` to HKEY_LOCAL_MACHINE and writes the six values for
// the installation in `destDir`, its size being what the folder holds now.
// An installation for the user alone, or a user who may not open the key
// there, gets the same entry under HKEY_CURRENT_USER; no message either way.
void WriteUninstallEntry(TRegistry& registry, const std::string& destDir, bool forEveryone = true);
