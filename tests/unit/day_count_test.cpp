#include "payload/day_count.h"

#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using enginetest::Stamp;

TEST(DosDateTime, OddSecondLosesOneSecond) {
    uint16_t date, time;
    ASSERT_TRUE(DayCountToDos(Stamp(2021, 6, 15, 11, 31, 41), date, time));
    EXPECT_EQ(DosToDayCount(date, time), Stamp(2021, 6, 15, 11, 31, 40));
    ASSERT_TRUE(DayCountToDos(Stamp(2021, 6, 15, 11, 31, 40), date, time));
    EXPECT_EQ(date, (2021 - 1980) * 512 + 6 * 32 + 15);
    EXPECT_EQ(time, 11 * 2048 + 31 * 32 + 20);
}

TEST(DosDateTime, OnlyYears1980To2099) {
    uint16_t date, time;
    EXPECT_FALSE(DayCountToDos(Stamp(1979, 12, 31, 23, 59, 58), date, time));
    EXPECT_FALSE(DayCountToDos(Stamp(2100, 1, 1, 0, 0, 0), date, time));
    EXPECT_TRUE(DayCountToDos(Stamp(1980, 1, 1, 0, 0, 0), date, time));
    EXPECT_EQ(date, 33);
    EXPECT_EQ(time, 0);
    EXPECT_TRUE(DayCountToDos(Stamp(2099, 12, 31, 23, 59, 58), date, time));
    EXPECT_FALSE(DayCountToDos(-1.5, date, time));
    EXPECT_FALSE(DayCountToDos(std::nan(""), date, time));
    EXPECT_FALSE(DayCountToDos(1e12, date, time));
}

TEST(DosDateTime, EvenSecondStampsComeBackBitForBit) {
    // The packer stores days + seconds / 86400; the way back through the DOS
    // format must give the very same double, or every file would count as
    // changed.
    for (int second = 0; second < 86400; second += 2 * 7 * 61) {
        const double days = 44000;
        const double packed = days + double(second) / 86400.0;
        uint16_t date, time;
        ASSERT_TRUE(DayCountToDos(packed, date, time));
        EXPECT_EQ(DosToDayCount(date, time), packed) << second;
    }
}

TEST(DayCount, TimeRoundsToMillisecondsAndCarriesIntoTheNextDay) {
    TCivilTime t;
    ASSERT_TRUE(DecodeDayCount(Stamp(2020, 2, 28, 0, 0, 0) + 1 - 0.0000001 / 86400, t));
    EXPECT_EQ(t.Year, 2020);
    EXPECT_EQ(t.Month, 2);
    EXPECT_EQ(t.Day, 29); // leap day
    EXPECT_EQ(t.Hour, 0);
    EXPECT_EQ(t.Millisecond, 0);
    ASSERT_TRUE(DecodeDayCount(Stamp(1999, 12, 31, 23, 59, 59) + 0.9996 / 86400, t));
    EXPECT_EQ(t.Year, 2000);
    EXPECT_EQ(t.Month, 1);
    EXPECT_EQ(t.Day, 1);
    EXPECT_EQ(t.Second, 0);
}

TEST(DayCount, KnownDays) {
    EXPECT_EQ(Stamp(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_EQ(Stamp(1900, 1, 1, 12, 0, 0), 2.5);
    EXPECT_EQ(Stamp(2000, 1, 1, 0, 0, 0), 36526.0);
}
