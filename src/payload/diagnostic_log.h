// The diagnostic log of a run (/LOG=file): plain text for administrators,
// written line by line as the run goes, so that it survives a crash. Both
// threads write to it. Without /LOG nothing is written and the calls cost
// nothing but a test.
#pragma once

#include <cstdint>
#include <string>

// Creates (replacing) the log; false when it cannot be opened.
bool OpenDiagnosticLog(const std::string& path);
bool DiagnosticLogOpen();
// One line, with the time of day in front.
void Diagnose(const std::string& line);
void CloseDiagnosticLog();

class TAttachedFiles;
// The start of an installation: where (and how that folder was chosen),
// whether portable, which components; then every planned copy.
void DiagnoseInstallation(const std::string& destDir, const std::string& how, bool portable,
                          uint8_t selectedComponents, const TAttachedFiles& catalogue);

// "error 5: Access is denied." for a system error code.
std::string SystemErrorText(uint32_t code);
