// The diagnostic log of a run (/LOG=file): plain text for administrators,
// in UTF-8, so that every name shows as it is,
// written line by line as the run goes, so that it survives a crash. Both
// threads write to it. Without /LOG nothing is written and the calls cost
// nothing but a test.
#pragma once

#include "base/link_test.h"

#include <cstdint>
#include <string>

// Creates the log as a new file: at `path` made full, or, when anything is
// there already (a file, a link, a hard link to some other file), at the
// first free name beside it ("setup-2.log", "setup-3.log", ...). Nothing
// that exists is ever opened, so the log cannot be turned into a write to
// another file. The log's folder and those above it, from the drive's or
// share's root down, are held open while it is created, with links refused:
// a link on the way is an error. Returns the full path written, or empty
// (with the system's error) when no log could be created.
std::string OpenDiagnosticLog(const std::string& path, TLinkTest isLink = HasReparsePoint);
bool DiagnosticLogOpen();
// One line, with the time of day in front.
void Diagnose(const std::string& line);
void CloseDiagnosticLog();

// The system's own text for an error code, in the user's language (empty
// when it has none).
std::string SystemMessage(uint32_t code);
// "error 5: Access is denied." for a system error code.
std::string SystemErrorText(uint32_t code);
