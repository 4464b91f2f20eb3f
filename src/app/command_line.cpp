#include "app/command_line.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads one argument starting at p; returns the position after it.
const char* ReadArgument(const char* p, std::string* out) {
    bool quoted = false;
    for (; *p && (quoted || !IsBlank(*p)); ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (out)
            out->push_back(*p);
    }
    return p;
}
} // namespace

std::string FirstArgument(const char* commandLine) {
    std::string arg;
    if (!commandLine) return arg;
    const char* p = commandLine;
    while (IsBlank(*p)) ++p;
    p = ReadArgument(p, nullptr); // the program name
    while (IsBlank(*p)) ++p;
    ReadArgument(p, &arg);
    return arg;
}

bool DestinationArgument(const std::string& firstArgument, std::string& folder) {
    if (firstArgument.compare(0, 2, "-d") != 0) return false;
    folder = firstArgument.substr(2);
    return true;
}
