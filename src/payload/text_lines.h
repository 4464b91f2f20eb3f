// Text held as lines, the way the log files store it. No windows.h.
#pragma once

#include <string>
#include <vector>

// Splits text into lines that end at CR, LF or CR LF; text after the last
// line end is one more line, an empty remainder is none.
std::vector<std::string> SplitLines(const std::string& text);
// Joins lines, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
