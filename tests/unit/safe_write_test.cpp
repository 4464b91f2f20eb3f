// Writing a whole file in one step: the exact new bytes in place of the old
// file, or the old file as it was and nothing new beside it.
#include "engine_test_support.h"
#include "payload/safe_write.h"
#include "payload/temp_files.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {
// Items of `folder` under the names new files are written with.
int NewFilesIn(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + WritePrefix() + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileA(find, &found));
    FindClose(find);
    return count;
}
} // namespace

TEST(WholeFile, TakesThePlaceOfTheOldFileWithExactlyTheNewBytes) {
    const std::string root = FreshFolder("whole-file"), target = root + "install_stamp";
    WriteFileBytes(target, "an older and longer file");
    const std::string bytes("\0\0\0\0\x10\x25\xE6\x40\r\n", 10);
    ASSERT_TRUE(WriteWholeFile(target, bytes.data(), uint32_t(bytes.size())));
    EXPECT_EQ(ReadFileBytes(target), bytes);
    ASSERT_TRUE(WriteWholeFile(target, "", 0));
    EXPECT_EQ(ReadFileBytes(target), "");
    EXPECT_EQ(NewFilesIn(root), 0);
}

TEST(WholeFile, ATargetThatRefusesTheNewFileStaysAsItWas) {
    const std::string root = FreshFolder("whole-file"), target = root + "Install.log";
    // Held by another program without sharing.
    WriteFileBytes(target, "old log\r\n");
    {
        TLockedFile held(target);
        EXPECT_FALSE(WriteWholeFile(target, "new", 3));
    }
    EXPECT_EQ(ReadFileBytes(target), "old log\r\n");
    // A folder in its place.
    DeleteFileA(target.c_str());
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    EXPECT_FALSE(WriteWholeFile(target, "new", 3));
    EXPECT_TRUE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(NewFilesIn(root), 0);
    // No folder to write in: the system's reason is what remains.
    EXPECT_FALSE(WriteWholeFile(root + "Missing\\Install.log", "new", 3));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}
