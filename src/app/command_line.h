// The one command-line option: a first argument "-d<folder>".
#pragma once

#include <string>

// The arguments after the program name, split at blanks and tabs outside
// double quotes, quotes removed. Only the first one matters to this program.
std::string FirstArgument(const char* commandLine);

// The folder of a first argument "-d<folder>" (lower-case d only), or false.
bool DestinationArgument(const std::string& firstArgument, std::string& folder);
