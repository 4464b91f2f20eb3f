// The system's calls that take a path, for paths held as UTF-8: each is
// handed over as UTF-16 to the wide call, so that a name outside the ANSI
// code page reaches the file system as it is.
#pragma once

#include "base/scoped_win.h"

#include <cstdint>
#include <string>

// The attributes the system reports for the path (FILE_ATTRIBUTE_*),
// INVALID_FILE_ATTRIBUTES when it has none to report.
uint32_t PathAttributes(const std::string& path);
// The full form of the path as the system would spell it; empty when it
// cannot say.
std::string FullPathName(const std::string& path);
// CreateFile for the path, without security attributes or template.
TFileHandle CreatePathFile(const std::string& path, uint32_t access, uint32_t share,
                           uint32_t disposition, uint32_t flags);
// CreateDirectory and DeleteFile for the path.
bool CreatePathFolder(const std::string& path);
bool DeletePathFile(const std::string& path);
