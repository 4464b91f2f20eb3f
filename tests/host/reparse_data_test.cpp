// A link above a destination is followed only when it is a volume mounted
// in a folder: what the reparse data says tells that from a junction.
#include "base/reparse_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
void Put(std::vector<unsigned char>& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The reparse data of a mount point with this target (and printed name).
std::vector<unsigned char> MountPoint(const std::string& target, unsigned tag = 0xA0000003) {
    std::vector<unsigned char> names;
    for (char c : target + std::string(1, '\0') + target + std::string(1, '\0'))
        Put(names, static_cast<unsigned char>(c), 2);
    const unsigned bytes = unsigned(2 * target.size());
    std::vector<unsigned char> data;
    Put(data, tag, 4);
    Put(data, unsigned(8 + names.size()), 2);
    Put(data, 0, 2);
    Put(data, 0, 2);         // target: at the start
    Put(data, bytes, 2);     // without its terminating zero
    Put(data, bytes + 2, 2); // the printed name after it
    Put(data, bytes, 2);
    data.insert(data.end(), names.begin(), names.end());
    return data;
}

const char kVolume[] = "\\??\\Volume{5b1f8a4e-0c2d-11ef-9a3b-806e6f6e6963}\\";
} // namespace

TEST(ReparseData, OnlyAVolumesOwnNameIsAVolumeMountedInAFolder) {
    const struct {
        std::vector<unsigned char> Data;
        bool Volume;
    } cases[] = {
        {MountPoint(kVolume), true},
        {MountPoint("\\??\\volume{5B1F8A4E-0C2D-11EF-9A3B-806E6F6E6963}\\"), true},
        // Junctions: a folder, a drive's root, a volume's folder.
        {MountPoint("\\??\\C:\\Users\\bob\\Apps"), false},
        {MountPoint("\\??\\D:\\"), false},
        {MountPoint("\\??\\Volume{5b1f8a4e-0c2d-11ef-9a3b-806e6f6e6963}\\Apps"), false},
        {MountPoint("\\??\\Volume{5b1f8a4e-0c2d-11ef-9a3b-806e6f6e6963}"), false},
        {MountPoint("\\??\\Volume{5b1f8a4e+0c2d-11ef-9a3b-806e6f6e6963}\\"), false},
        // A symbolic link's tag, with the same target.
        {MountPoint(kVolume, 0xA000000C), false},
        {{}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsVolumeMountData(c.Data.data(), c.Data.size()), c.Volume)
            << std::string(c.Data.begin(), c.Data.end());
}

TEST(ReparseData, LengthsThatReachPastTheDataAreRefused) {
    const std::vector<unsigned char> good = MountPoint(kVolume);
    // Cut anywhere, the data no longer holds its target.
    for (size_t size = 0; size < good.size() - 2 * (sizeof kVolume); ++size)
        EXPECT_FALSE(IsVolumeMountData(good.data(), size)) << size;
    std::vector<unsigned char> longer = good;
    longer[4] = 0xFF; // a data length beyond what is there
    longer[5] = 0xFF;
    EXPECT_FALSE(IsVolumeMountData(longer.data(), longer.size()));
    std::vector<unsigned char> odd = good;
    odd[8] = 1; // a target that starts inside a character
    EXPECT_FALSE(IsVolumeMountData(odd.data(), odd.size()));
    std::vector<unsigned char> beyond = good;
    beyond[8] = 0xF0; // a target beyond the data's end
    EXPECT_FALSE(IsVolumeMountData(beyond.data(), beyond.size()));
}
