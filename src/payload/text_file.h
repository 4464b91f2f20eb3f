// Reading and writing whole text files of CR LF lines by their ANSI names.
#pragma once

#include <string>
#include <vector>

// On failure `error` says what failed, in the words of a file error message:
// Cannot open file "..." followed by the system's reason.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error);
// Replaces the file with the lines, each ended by CR LF, in one step
// (WriteWholeFile): a failure leaves the old file as it was. On failure:
// Cannot create file "..." and the system's reason.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    std::string& error);
