// The one way sizes are shown to the user: "%s KB" or "%s MB", whole numbers,
// digits grouped by three with blanks. No windows.h: the grouping does not
// follow the user's locale on purpose.
#pragma once

#include <cstdint>
#include <string>

// Decimal digits in groups of three, marked off from the right by blanks:
// 1234567 -> "1 234 567".
std::string GroupDigits(int64_t n);

// MB from 16 MB less one byte on, or for an exact number of MB; KB (rounded
// down) otherwise. MB are rounded to the nearest, exact halves to even.
std::string FormatSize(int64_t bytes);
