#include "base/folder_items.h"
#include "base/paths.h"
#include "payload/folders.h"

#include "engine_test_support.h"
#include "payload/components.h"
#include "payload/install_log.h"
#include "system/data_folders.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace enginetest;

namespace {
class Folders : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("folders");
    }
    void TearDown() override { ResetEngineState(); }
    std::string Root;
};

std::string CurrentFolder() {
    char buffer[MAX_PATH + 1];
    return std::string(buffer, GetCurrentDirectoryA(sizeof buffer, buffer));
}
} // namespace

TEST_F(Folders, ExistingFolderWithOrWithoutBackslashAndInAnyCase) {
    CreateDirectoryA((Root + "Sub").c_str(), nullptr);
    EXPECT_TRUE(FolderExists(Root + "Sub"));
    EXPECT_TRUE(FolderExists(Root + "Sub\\"));
    EXPECT_TRUE(FolderExists(Root + "SUB\\"));
    EXPECT_FALSE(FolderExists(Root + "Missing\\"));
}

TEST_F(Folders, FileIsNoFolderAndFolderIsNoFile) {
    WriteFileBytes(Root + "f.txt", "x");
    EXPECT_FALSE(FolderExists(Root + "f.txt"));
    EXPECT_TRUE(FileExists(Root + "f.txt"));
    EXPECT_FALSE(FileExists(Root.substr(0, Root.size() - 1)));
}

TEST_F(Folders, PathsTheSystemSpellsDifferentlyDoNotExist) {
    CreateDirectoryA((Root + "Sub").c_str(), nullptr);
    EXPECT_FALSE(FolderExists(Root + "Sub\\."));
    EXPECT_FALSE(FolderExists(Root + "Sub\\..\\Sub\\"));
    EXPECT_FALSE(FolderExists(Root + "\\Sub\\"));
    std::string slashed = Root + "Sub/";
    EXPECT_FALSE(FolderExists(slashed));
    EXPECT_FALSE(FolderExists("Sub\\")); // relative
}

TEST_F(Folders, TestLeavesTheCurrentFolderAlone) {
    CreateDirectoryA((Root + "Sub").c_str(), nullptr);
    const std::string before = CurrentFolder();
    EXPECT_TRUE(FolderExists(Root + "Sub\\"));
    EXPECT_FALSE(FolderExists(Root + "Nothing\\"));
    EXPECT_EQ(CurrentFolder(), before);
}

TEST_F(Folders, MakeFolderLogsEachCreatedFolderParentsFirstOnce) {
    StartInstallLog("");
    MakeFolder(Root + "One\\Two\\");
    MakeFolder(Root + "One\\Two\\");
    MakeFolder(Root + "One\\");
    EXPECT_TRUE(FolderExists(Root + "One\\Two\\"));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Made Dir: " + Root + "One\\",
                                                    "Made Dir: " + Root + "One\\Two\\"}));
}

TEST_F(Folders, MakeFolderOfAnExistingFolderLogsNothing) {
    StartInstallLog("");
    MakeFolder(Root);
    MakeFolder("");
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(Folders, FileDateIsTheDosTimeOfTheLastWrite) {
    WriteFileBytes(Root + "f.txt", "x");
    SetLocalWriteTime(Root + "f.txt", 2019, 3, 31, 2, 30, 7); // the night the clocks change
    EXPECT_EQ(FileDate(Root + "f.txt"), Stamp(2019, 3, 31, 2, 30, 6));
}

TEST_F(Folders, FileDateOfAMissingFileIsNow) {
    const double before = LocalNow();
    const double date = FileDate(Root + "missing.txt");
    EXPECT_GE(date, before);
    EXPECT_LT(date - before, 60.0 / 86400);
}

TEST_F(Folders, DeleteFolderTreeRemovesEverythingButWhatCannotBeDeleted) {
    MakeFolder(Root + "Tree\\A\\B\\");
    MakeFolder(Root + "Tree\\C\\");
    WriteFileBytes(Root + "Tree\\A\\B\\x.txt", "x");
    WriteFileBytes(Root + "Tree\\A\\h.txt", "h");
    SetFileAttributesA((Root + "Tree\\A\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(Root + "Tree\\C\\ro.txt", "r");
    SetFileAttributesA((Root + "Tree\\C\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    DeleteFolderTree(Root + "Tree");

    EXPECT_FALSE(Exists(Root + "Tree\\A"));
    EXPECT_TRUE(Exists(Root + "Tree\\C\\ro.txt"));
    SetFileAttributesA((Root + "Tree\\C\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFolderTree(Root + "Tree\\");
    EXPECT_FALSE(Exists(Root + "Tree"));
}

// A folder that is a link, given or met inside, is unlinked and never
// entered: what lies behind it stays. Wine cannot make junctions or
// symbolic links, so the test for links is played by a stand-in here; the
// real one (IsLink) follows when the system can make a link.
TEST_F(Folders, DeleteFolderTreeNeverEntersALink) {
    static std::string linked;
    const auto isLinked = [](const std::string& path) { return SameName(path, linked); };
    MakeFolder(Root + "Given\\");
    WriteFileBytes(Root + "Given\\behind.txt", "b");
    linked = Root + "Given\\";
    DeleteFolderTree(Root + "Given", isLinked);
    EXPECT_EQ(ReadFileBytes(Root + "Given\\behind.txt"), "b");

    MakeFolder(Root + "Tree\\Link\\");
    WriteFileBytes(Root + "Tree\\Link\\behind.txt", "b");
    WriteFileBytes(Root + "Tree\\own.txt", "o");
    linked = Root + "Tree\\Link\\";
    DeleteFolderTree(Root + "Tree", isLinked);
    EXPECT_EQ(ReadFileBytes(Root + "Tree\\Link\\behind.txt"), "b");
    EXPECT_FALSE(Exists(Root + "Tree\\own.txt"));

    // A real link, where this system can make one.
    using TCreateSymbolicLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto create = reinterpret_cast<TCreateSymbolicLink>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    MakeFolder(Root + "Victim\\");
    WriteFileBytes(Root + "Victim\\precious.txt", "p");
    if (!create || !create((Root + "Planted").c_str(), (Root + "Victim").c_str(), 1) ||
        !IsLink(Root + "Planted"))
        GTEST_SKIP() << "this system cannot make a symbolic link to a folder";
    DeleteFolderTree(Root + "Planted");
    EXPECT_FALSE(Exists(Root + "Planted"));
    EXPECT_EQ(ReadFileBytes(Root + "Victim\\precious.txt"), "p");
}
