// Splitting the command line into arguments.
#pragma once

#include <string>
#include <vector>

// The arguments after the program name, split at blanks and tabs outside
// double quotes, quotes removed; an argument that begins with "/D=" takes
// the rest of the line, blanks and all.
std::vector<std::string> Arguments(const char* commandLine);
