// Whether this user may install into a folder: found out by trying, the
// only answer that holds for every kind of rights (access lists, read-only
// media, shares, and the file permissions of a Unix host under Wine).
#pragma once

#include <string>

enum class TWriteAccess {
    Allowed, // the folder, or the nearest existing folder above it, took a new item
    Denied,  // refused for want of rights (or write-protected media)
    Unknown, // nothing to try in (no existing folder above it), or another failure
};

// Tries to create a new item where installing into `folder` would first
// create one: a file in the folder when it exists, else a folder in the
// nearest existing folder above it. The item is removed again at once, and
// the items of that form that a run killed while trying left there before.
TWriteAccess FolderWriteAccess(const std::string& folder);

// The per-user programs folder: "Programs\Quorvale" under the user's local
// application data; empty when the system does not tell where that is.
std::string PerUserDestination();
