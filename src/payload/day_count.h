// Day counts (days since 1899-12-30, the fraction being the local time of
// day) and the DOS date-time format that file stamps are compared at.
// This file knows nothing of Windows so that it also builds natively.
#pragma once

#include <cstdint>

struct TCivilTime {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Splits a day count into calendar date and time of day, the time rounded
// to whole milliseconds. False for values that are not a date of the years
// 1 to 9999 (including NaN and infinities).
bool DecodeDayCount(double days, TCivilTime& out);
// The day count of a calendar date and time (no range check).
double EncodeDayCount(const TCivilTime& t);

// Packs a day count into a DOS date and time; odd seconds lose one second.
// False outside the years 1980 to 2099: such a stamp is not set on a file.
bool DayCountToDos(double days, uint16_t& dosDate, uint16_t& dosTime);
// The day count of a DOS date and time.
double DosToDayCount(uint16_t dosDate, uint16_t dosTime);
