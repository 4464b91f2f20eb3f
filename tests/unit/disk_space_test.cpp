// Sizes as the components page and the uninstall entry show them.
#include "payload/components.h"
#include "payload/disk_space.h"
#include "payload/size_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

namespace {
std::string Scratch(const char* name) {
    std::string dir = std::string(QV_OUT_DIR) + "\\disk_space_" + name;
    CreateDirectoryA(QV_OUT_DIR, nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void WriteFile(const std::string& path, size_t size) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    std::string bytes(size, 'x');
    DWORD written = 0;
    if (size) ::WriteFile(f, bytes.data(), DWORD(size), &written, nullptr);
    CloseHandle(f);
    ASSERT_EQ(written, size);
}
} // namespace

TEST(SizeText, FormatSizeUsesKBBelow16MBAndRoundsMBHalvesToEven) {
    const struct {
        int64_t bytes;
        const char* text;
    } cases[] = {{0, "0 KB"},           {1000, "0 KB"},           {1024, "1 KB"},
                 {1048575, "1 023 KB"}, {1048576, "1 MB"},        {1048577, "1 024 KB"},
                 {15728640, "15 MB"},   {16777214, "16 383 KB"},  {16777215, "16 MB"},
                 {17301504, "16 MB"}, // 16.5 MB: the even neighbour
                 {18350080, "18 MB"}, // 17.5 MB
                 {104857600, "100 MB"}, {1048576000, "1 000 MB"}, {5368709120LL, "5 120 MB"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, GroupDigitsMarksOffThreesFromTheRight) {
    EXPECT_EQ(GroupDigits(12), "12");
    EXPECT_EQ(GroupDigits(123), "123");
    EXPECT_EQ(GroupDigits(1234), "1 234");
    EXPECT_EQ(GroupDigits(123456), "123 456");
    EXPECT_EQ(GroupDigits(1234567), "1 234 567");
    EXPECT_EQ(GroupDigits(0), "0");
    EXPECT_EQ(GroupDigits(1000000), "1 000 000");
    // A minus sign is not counted as a digit.
    EXPECT_EQ(GroupDigits(-123), "-123");
    EXPECT_EQ(GroupDigits(-1234), "-1 234");
}

TEST(DiskSpace, DrivePartOfLocalAndNetworkPaths) {
    EXPECT_EQ(DrivePart("C:\\Program Files\\Quorvale"), "C:");
    EXPECT_EQ(DrivePart("d:"), "d:");
    EXPECT_EQ(DrivePart("\\\\server\\share\\apps"), "\\\\server\\share");
    EXPECT_EQ(DrivePart("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(DrivePart("Apps\\Writer"), "");
    EXPECT_EQ(DrivePart("\\\\server"), "");
    // A server without a share name, or a "drive" that is no letter, is no
    // drive part: the portable test and the destination page agree on that.
    EXPECT_EQ(DrivePart("\\\\server\\"), "");
    EXPECT_EQ(DrivePart("\\\\"), "");
    EXPECT_EQ(DrivePart("1:\\Apps"), "");
}

TEST(DiskSpace, SizeOnDiskRoundsUpToWholeClustersOfTheVolume) {
    const std::string folder = std::string(QV_OUT_DIR) + "\\not\\there\\yet";
    const int32_t c = ClusterSize(folder);
    ASSERT_GT(c, 0);
    EXPECT_EQ(c, ClusterSize(std::string(QV_OUT_DIR))); // same volume, folder need not exist
    EXPECT_EQ(SizeOnDisk(folder, 0), 0);
    EXPECT_EQ(SizeOnDisk(folder, 1), c);
    EXPECT_EQ(SizeOnDisk(folder, c - 1), c);
    EXPECT_EQ(SizeOnDisk(folder, c), c);
    EXPECT_EQ(SizeOnDisk(folder, c + 1), 2 * c);
    EXPECT_EQ(SizeOnDisk(folder, 3 * c), 3 * c);
    EXPECT_EQ(SizeOnDisk(folder, 3 * c + 1), 4 * c);
    // Near the top of the 32-bit range the size stops there instead of
    // turning negative.
    EXPECT_EQ(SizeOnDisk(folder, INT32_MAX), INT32_MAX);
    EXPECT_EQ(SizeOnDisk(folder, INT32_MAX - c + 2), INT32_MAX);
}

TEST(DiskSpace, SizeOnDiskWithTheUsualFourKilobyteClusters) {
    // Wine gives every volume but a CD-ROM-like one 4 096-byte clusters,
    // and so do most NTFS volumes.
    const std::string folder = std::string(QV_OUT_DIR) + "\\four-k";
    if (ClusterSize(folder) != 4096) GTEST_SKIP() << "the build volume has other clusters";
    EXPECT_EQ(SizeOnDisk(folder, 0), 0);
    EXPECT_EQ(SizeOnDisk(folder, 1), 4096);
    EXPECT_EQ(SizeOnDisk(folder, 4096), 4096);
    EXPECT_EQ(SizeOnDisk(folder, 4097), 8192);
}

TEST(DiskSpace, VolumesThatCannotBeAskedGiveAPositiveClusterAndUnknownSpace) {
    // Q: is not mapped in the test prefix; relative names and an unreachable
    // share have no volume to ask.
    EXPECT_EQ(ClusterSize("Q:\\Quorvale"), 4096);
    EXPECT_EQ(ClusterSize("Apps\\Writer"), 4096);
    EXPECT_EQ(ClusterSize("\\\\no-such-server\\share\\Quorvale"), 4096);
    EXPECT_EQ(SizeOnDisk("Q:\\Quorvale", 1), 4096);
    EXPECT_EQ(FreeSpace("Q:"), kUnknownFreeSpace);
    EXPECT_EQ(FreeSpace(""), kUnknownFreeSpace);
    EXPECT_EQ(FreeSpace("\\\\no-such-server\\share"), kUnknownFreeSpace);
}

TEST(DiskSpace, FreeSpaceOfTheBuildVolumeIsWhatTheSystemReportsToTheUser) {
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("Z:\\", &available, &total, &free));
    const int64_t reported = FreeSpace("Z:");
    // Other processes write meanwhile; the two readings are close, not equal.
    EXPECT_GT(reported, 0);
    EXPECT_NEAR(double(reported), double(available.QuadPart), 256.0 * 1024 * 1024);
}

// ---------------------------------------------------------------- file lists

namespace {
TAttachedFile Entry(const std::string& name, int32_t size) {
    TAttachedFile file;
    file.Name = name;
    file.Size = size;
    return file;
}
} // namespace

class FileListSizeTest : public ::testing::Test {
  protected:
    const std::string Dest = std::string(QV_OUT_DIR) + "\\file-list\\not-yet";
    const int32_t C = ClusterSize(Dest);
};

TEST_F(FileListSizeTest, AFolderPatternCountsEveryEntryBelowItAndNoLookAlike) {
    const std::vector<TAttachedFile> files = {
        Entry("Templates\\a.dot", 10),         Entry("Templates.dat", 5 * C),
        Entry("TEMPLATES\\Sub\\b.dot", C + 1), Entry("Templates", 7 * C),
        Entry("My Templates\\c.dot", 9 * C),   Entry("Templates2\\d.dot", 11 * C),
    };
    // a.dot one cluster, b.dot two; the look-alikes nothing.
    EXPECT_EQ(FileListSize(files, "Templates\\", Dest), 3 * C);
    EXPECT_EQ(FileListSize(files, "templates\\sub\\", Dest), 2 * C);
}

TEST_F(FileListSizeTest, AFilePatternCountsOnlyTheLastEntryOfThatName) {
    const std::vector<TAttachedFile> files = {
        Entry("kel.exe", 1),
        Entry("License.txt", 2 * C + 1),
        Entry("KEL.EXE", 4 * C),
        Entry("kel.exe.bak", 8 * C),
    };
    EXPECT_EQ(FileListSize(files, "kel.exe", Dest), 4 * C);
    EXPECT_EQ(FileListSize(files, "kel.exe\rLicense.txt", Dest), 4 * C + 3 * C);
    // Names are whole names: a prefix is no match.
    EXPECT_EQ(FileListSize(files, "kel", Dest), 0);
}

TEST_F(FileListSizeTest, PatternsSplitAtAnyLineBreakAndCountAsOftenAsListed) {
    const std::vector<TAttachedFile> files = {Entry("a.dat", 1), Entry("b.dat", C)};
    EXPECT_EQ(FileListSize(files, "a.dat\nb.dat", Dest), 2 * C);
    EXPECT_EQ(FileListSize(files, "a.dat\r\nb.dat\r\n", Dest), 2 * C);
    EXPECT_EQ(FileListSize(files, "a.dat\ra.dat", Dest), 2 * C);
    EXPECT_EQ(FileListSize(files, "\r\rmissing.dat\r", Dest), 0);
    EXPECT_EQ(FileListSize(files, "", Dest), 0);
    EXPECT_EQ(FileListSize({}, "a.dat", Dest), 0);
}

TEST_F(FileListSizeTest, EachFileIsRoundedOnItsOwn) {
    std::vector<TAttachedFile> files;
    for (int i = 0; i < 10; ++i)
        files.push_back(Entry("Clip Library\\" + std::to_string(i), 1));
    files.push_back(Entry("Clip Library\\empty", 0));
    EXPECT_EQ(FileListSize(files, "Clip Library\\", Dest), 10 * C);
}

TEST_F(FileListSizeTest, TheComponentListsOfTheProduct) {
    const std::vector<TAttachedFile> files = {
        Entry("kel.exe", 3 * C - 1),       Entry("License.txt", 1),
        Entry("Hyphenation.dat", C + 1),   Entry("Templates\\Letter.dot", 1),
        Entry("Templates\\Fax.dot", 1),    Entry("Clip Library\\Cat.png", C),
        Entry("English (British).asc", 1), Entry("uk.zlx", 1),
    };
    EXPECT_EQ(FileListSize(files, ComponentFileLists[0], Dest), 4 * C);
    EXPECT_EQ(FileListSize(files, ComponentFileLists[1], Dest), 2 * C);
    EXPECT_EQ(FileListSize(files, ComponentFileLists[2], Dest), 2 * C);
    EXPECT_EQ(FileListSize(files, ComponentFileLists[3], Dest), 2 * C);
    EXPECT_EQ(FileListSize(files, ComponentFileLists[4], Dest), C);
    EXPECT_EQ(FileListSize(files, ComponentFileLists[5], Dest), 0);
}

// ---------------------------------------------------------------- folder sizes

TEST(DiskSpace, FolderSizeRoundsEachFileToClustersThenTruncatesToKB) {
    const std::string empty = Scratch("empty");
    EXPECT_EQ(FolderSizeKB(empty, 4096), 0);

    const std::string two = Scratch("two");
    WriteFile(two + "\\ten.txt", 10);
    WriteFile(two + "\\five-thousand.bin", 5000);
    EXPECT_EQ(FolderSizeKB(two, 4096), 4 + 8);

    const std::string hundred = Scratch("hundred");
    CreateDirectoryA((hundred + "\\sub").c_str(), nullptr);
    for (int i = 0; i < 100; ++i)
        WriteFile(hundred + (i % 2 ? "\\sub\\f" : "\\f") + std::to_string(i), 10);
    EXPECT_EQ(FolderSizeKB(hundred, 4096), 400);
    // With 512-byte clusters a file of at most 512 bytes adds nothing.
    EXPECT_EQ(FolderSizeKB(hundred, 512), 0);
    // A hidden file counts too.
    SetFileAttributesA((hundred + "\\f0").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FolderSizeKB(hundred, 4096), 400);
    EXPECT_EQ(FolderSizeKB(hundred + "\\missing", 4096), 0);
}
