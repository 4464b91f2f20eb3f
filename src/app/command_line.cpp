#include "app/command_line.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

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

std::vector<std::string> Arguments(const char* commandLine) {
    std::vector<std::string> args;
    if (!commandLine) return args;
    const char* p = commandLine;
    while (IsBlank(*p))
        ++p;
    p = ReadArgument(p, nullptr); // the program name
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p) break;
        std::string arg;
        p = ReadArgument(p, &arg);
        args.push_back(arg);
    }
    return args;
}

std::string FirstArgument(const char* commandLine) {
    const std::vector<std::string> args = Arguments(commandLine);
    return args.empty() ? std::string() : args.front();
}

bool DestinationArgument(const std::string& firstArgument, std::string& folder) {
    if (firstArgument.compare(0, 2, "-d") != 0) return false;
    folder = firstArgument.substr(2);
    return true;
}
