// Letter case and order of texts (UTF-8, as the program holds them) as the
// system sees them under the user's locale, and names compared that way.
#pragma once

#include <string>
#include <vector>

// The text upper-cased by the system under the user's locale.
std::string UpperCaseText(const std::string& text);
// Compares without regard to letter case in the user's locale's order:
// below zero, zero or above zero.
int CompareText(const std::string& a, const std::string& b);
// Sorts in that order; texts that compare equal keep their order. (One sort
// for every list the program sorts: each other would be code of its own.)
void SortTexts(std::vector<std::string>& texts);

// Equal after both are upper-cased by the system (user's locale).
bool SameName(const std::string& a, const std::string& b);
// The same for texts of the ANSI code page (the payload's entry names).
bool SameAnsiName(const std::string& a, const std::string& b);
