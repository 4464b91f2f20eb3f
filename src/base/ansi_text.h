// Letter case and order of ANSI texts as the system sees them under the
// user's locale, and names compared that way.
#pragma once

#include <string>
#include <vector>

// The text upper-cased by the system's ANSI upper-casing.
std::string AnsiUpperCase(std::string text);
// Compares without regard to letter case in the user's locale's order:
// below zero, zero or above zero.
int AnsiCompareText(const std::string& a, const std::string& b);
// Sorts in that order; texts that compare equal keep their order. (One sort
// for every list the program sorts: each other would be code of its own.)
void SortAnsiTexts(std::vector<std::string>& texts);

// Equal after both are upper-cased by the system (user's locale).
bool SameName(const std::string& a, const std::string& b);
