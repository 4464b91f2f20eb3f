// The one command-line option: a first argument "-d<folder>".
#pragma once

#include <string>
#include <vector>

// The arguments after the program name, split at blanks and tabs outside
// double quotes, quotes removed.
std::vector<std::string> Arguments(const char* commandLine);
// The first of them, or empty: the wizard looks at no other.
std::string FirstArgument(const char* commandLine);

// The folder of a first argument "-d<folder>" (lower-case d only), or false.
bool DestinationArgument(const std::string& firstArgument, std::string& folder);
