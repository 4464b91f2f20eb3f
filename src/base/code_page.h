// The system's ANSI code page, in which the payload names its files and
// the product reads its own files and command line, and the UTF-8 the
// program holds every other text in.
#pragma once

#include <string>

// The UTF-8 form of text in the code page.
std::string Utf8FromAnsi(const std::string& ansi);
// The text in the code page; false when a character has no counterpart
// of its own there (a look-alike or a question mark would stand for it),
// `ansi` then holds nothing of use.
bool AnsiFromUtf8(const std::string& utf8, std::string& ansi);
