// The comparison behind the same-bytes check of two builds: it names the
// part of the program where they first differ.
#include "same_bytes.h"

#include "host_files.h"
#include "pe_image.h"

#include <gtest/gtest.h>

#include <cstdio>

using hosttest::Bytes;
using hosttest::FirstDifference;

namespace {
std::string At(size_t offset) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "0x%zx", offset);
    return "first difference at byte " + std::string(hex) + ", in ";
}
} // namespace

TEST(SameBytes, NamesThePartOfTheProgramWhereTwoBuildsFirstDiffer) {
    const Bytes built = hosttest::ReadBytes(QV_SHIPPED_SETUP);
    const hosttest::PeImage image(built);
    ASSERT_TRUE(image.Valid()) << QV_SHIPPED_SETUP;
    EXPECT_EQ(FirstDifference(built, built), "");

    auto changedAt = [&](size_t offset) {
        Bytes other = built;
        other[offset] ^= 0x01;
        return FirstDifference(built, other);
    };
    // The link time in the file header.
    const size_t timeStamp = size_t(built[0x3C] | built[0x3D] << 8) + 8;
    EXPECT_EQ(changedAt(timeStamp), At(timeStamp) + "the headers");
    for (const auto& section : image.Sections()) {
        if (!section.fileSize) continue;
        const size_t last = section.fileOffset + section.fileSize - 1;
        EXPECT_EQ(changedAt(last), At(last) + "section " + section.name);
    }
    // A signature appended to one of them.
    Bytes longer = built;
    longer.push_back(0);
    EXPECT_EQ(FirstDifference(longer, built),
              At(built.size()) + "the data after the last section (the files hold " +
                  std::to_string(longer.size()) + " and " + std::to_string(built.size()) +
                  " bytes)");
}
