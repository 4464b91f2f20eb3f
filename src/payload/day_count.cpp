#include "payload/day_count.h"

#include <cmath>

namespace {
constexpr double kMsPerDay = 86400000.0;
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr long kDayZero = -25569;
// Day counts of 0001-01-01 and of the day after 9999-12-31.
constexpr double kFirstDay = -693593.0;
constexpr double kEndDay = 2958466.0;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(long(yoe) + era * 400 + (m <= 2));
}
} // namespace

bool DecodeDayCount(double days, TCivilTime& out) {
    if (!(days >= kFirstDay && days < kEndDay)) return false;
    // Whole days count towards zero; the time of day is the fraction's
    // magnitude, also for the (never used) days before 1899-12-30.
    double whole = std::trunc(days);
    long ms = std::lround(std::fabs(days - whole) * kMsPerDay);
    if (ms >= long(kMsPerDay)) { // 23:59:59.9995 and later round up to midnight
        ms -= long(kMsPerDay);
        whole += 1;
    }
    CivilFromDays(long(whole) + kDayZero, out.Year, out.Month, out.Day);
    out.Hour = int(ms / 3600000);
    out.Minute = int(ms / 60000 % 60);
    out.Second = int(ms / 1000 % 60);
    out.Millisecond = int(ms % 1000);
    return true;
}

double EncodeDayCount(const TCivilTime& t) {
    const double days =
        double(DaysFromCivil(t.Year, unsigned(t.Month), unsigned(t.Day)) - kDayZero);
    // Stored through volatile so that each step is rounded to a double even
    // on the x87 unit of a 32-bit build, whose wider registers would
    // otherwise give other last bits than the packer and the stored stamps.
    volatile double time =
        double(t.Hour * 3600000L + t.Minute * 60000L + t.Second * 1000L + t.Millisecond) /
        kMsPerDay;
    volatile double result = days < 0 ? days - time : days + time;
    return result;
}

bool DayCountToDos(double days, uint16_t& dosDate, uint16_t& dosTime) {
    TCivilTime t;
    if (!DecodeDayCount(days, t) || t.Year < 1980 || t.Year > 2099) return false;
    dosDate = uint16_t((t.Year - 1980) * 512 + t.Month * 32 + t.Day);
    dosTime = uint16_t(t.Hour * 2048 + t.Minute * 32 + t.Second / 2);
    return true;
}

double DosToDayCount(uint16_t dosDate, uint16_t dosTime) {
    TCivilTime t;
    t.Year = 1980 + (dosDate >> 9);
    t.Month = (dosDate >> 5) & 15;
    t.Day = dosDate & 31;
    t.Hour = dosTime >> 11;
    t.Minute = (dosTime >> 5) & 63;
    t.Second = (dosTime & 31) * 2;
    return EncodeDayCount(t);
}
