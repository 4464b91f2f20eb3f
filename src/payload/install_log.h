// The installation log: the lines kept in memory from the Installing page
// on, "Install.log" in the destination folder, and "Update.log" in the base
// data folder.
//
// Lines are "Made Dir: " + folder and "File Copy: " + file, held as UTF-8
// and written in the code page (a path it cannot spell by its short form,
// as the product reads them). No two lines
// are equal without regard to letter case; a repeated line is not added.
// The log belongs to the install thread while it runs and to the wizard's
// thread otherwise; it has no lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Null until the Installing page is entered. Change it only through the
// functions below.
extern std::unique_ptr<std::vector<std::string>> InstallLog;
// "Install.log" in the destination folder; empty on a portable installation.
extern std::string InstallLogPath;
// While above zero nothing is added to the log.
extern int LogSuppression;

// Appends the line unless the log is suppressed or not created yet, or an
// equal line (ignoring letter case) is already there.
void AddLogLine(const std::string& line);
void SuppressLog();
void ResumeLog();

// Creates the log; with a path, continues the "Install.log" found there
// (a file that cannot be read is ignored and the log starts empty).
void StartInstallLog(const std::string& logPathOrEmpty);
// Writes the log to InstallLogPath, replacing the file; does nothing
// without a log or a path. Failures are ignored.
void SaveInstallLog();

// Adds this run's section to "Update.log" in the base data folder (which
// ends with a backslash): sorts `publicFiles` (user's locale, ignoring
// case), drops their older mentions and emptied headers, appends the header
// of `installStamp` and the files. Does nothing at all when `publicFiles` is
// empty, so callers should not ask for the data folder (which creates it)
// in that case. False with `error` set when the file cannot be read or
// written.
bool WriteUpdateLog(const std::string& dataFolderBase, double installStamp,
                    std::vector<std::string>& publicFiles, std::string& error);
