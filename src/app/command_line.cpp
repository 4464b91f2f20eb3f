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
// "/D=" (any letter case) begins the destination that ends the line.
bool IsRestOfLine(const char* p) {
    return p[0] == '/' && (p[1] == 'D' || p[1] == 'd') && p[2] == '=';
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
        if (IsRestOfLine(p)) {
            // As its users type it: the rest of the line, blanks and all,
            // unquoted (quotes around the whole folder are dropped).
            arg = p;
            arg.erase(arg.find_last_not_of(" \t") + 1);
            const size_t quote = arg.find('"');
            if (quote == 3 && arg.size() > 4 && arg.back() == '"')
                arg = arg.substr(0, 3) + arg.substr(4, arg.size() - 5);
            args.push_back(arg);
            break;
        }
        p = ReadArgument(p, &arg);
        args.push_back(arg);
    }
    return args;
}
