// Path text shared by every part of the program: drive parts, joining a
// name to a folder, and whether an item is a link.
#pragma once

#include <string>

// The drive part of a path: "C:" for C:\Apps (a letter and a colon),
// "\\server\share" for a UNC path; empty when the path has none, and for a
// UNC path without a server or share name ("\\server", "\\server\").
std::string DrivePart(const std::string& path);

// Exactly one backslash between folder and name; a trailing "/" of the
// folder becomes that backslash; an empty folder gives the name alone.
// JoinPath(folder, "") adds the trailing backslash.
std::string JoinPath(const std::string& folder, const std::string& name);
// The path with one trailing backslash removed, if it has one.
std::string WithoutBackslash(const std::string& path);

// Whether the path (with or without a trailing backslash) is a link: a
// junction, a symbolic link or another reparse point. Such an item is never
// entered when folders are deleted or sized: behind it may lie anything.
bool IsLink(const std::string& path);
