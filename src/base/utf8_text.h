// Paths, and every text the program composes, are held as UTF-8 inside the
// program and reach the system as UTF-16 through its wide functions, so a
// name outside the ANSI code page stays exactly as it is. A file name may
// hold a UTF-16 unit that pairs with none (the system does not check): it
// is kept as its own three bytes (as UTF-8 would spell it if it were a
// character), so that every name the system gives converts back to itself.
#pragma once

#include <string>

// UTF-16 units as wchar_t on Windows; std::u16string-like on any host.
using TWideText = std::basic_string<wchar_t>;

// The UTF-16 form of UTF-8 text. A byte that starts no well-formed
// sequence becomes U+FFFD; `exact`, when given, is set false then.
TWideText WideText(const std::string& utf8, bool* exact = nullptr);
// The UTF-8 form of UTF-16 units (the first `length` of them).
std::string Utf8Text(const wchar_t* wide, size_t length);
std::string Utf8Text(const TWideText& wide);
// Whether the text is plain ASCII (the same bytes in every code page).
bool IsAsciiText(const std::string& text);
// The text with its ASCII letters upper-cased, every other byte as it is:
// for names whose letter case the program itself defines (switches,
// device names), which no locale may change.
std::string AsciiUpperCase(std::string text);
