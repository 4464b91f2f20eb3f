// The common data file's record.
#include "system/finish_step.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CommonDataRecord, IsOneEightAndTheDayCountLittleEndianInSixteenBytes) {
    // 2024-03-01 12:00 is day 45352.5.
    const std::string record = CommonDataRecord(45352.5);
    ASSERT_EQ(record.size(), 16u);
    EXPECT_EQ(record.substr(0, 8), std::string("\x01\0\0\0\x08\0\0\0", 8));
    // 45352.5 = 0x40E6251000000000
    EXPECT_EQ(record.substr(8), std::string("\0\0\0\0\x10\x25\xE6\x40", 8));
    double back;
    std::memcpy(&back, record.data() + 8, sizeof back);
    EXPECT_EQ(back, 45352.5);
}
