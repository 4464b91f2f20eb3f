#include "base/locale_text.h"
#include "base/folder_items.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "payload/diagnostic_log.h"
#include "payload/folders.h"
#include "payload/temp_files.h"
#include "system/old_clip_images.h"

#include "engine_test_support.h"
#include "payload/install_log.h"
#include "system/data_folders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <shlobj.h>

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

// Each clean-up meets a link on its way, from the folder it starts at down
// to what it deletes: what lies behind the link stays, while the rest of
// the clean-up goes on where it may.
TEST_F(Folders, NoCleanUpEntersALinkOnItsWay) {
    const std::string portable = Root + "Portable\\", images = portable + "Clip Library\\Images\\";
    const std::string documents = JoinPath(SpecialFolder(CSIDL_PERSONAL), "");
    const std::string oldImages = documents + "Quorvale\\Clip Library\\Images\\";
    const std::string temp = TempFolder(), writes = Root + "Writes\\";
    struct TCase {
        const char* What;
        std::string Link, Kept, Gone; // Kept lies behind the link
        std::function<void()> CleanUp;
    };
    const std::vector<TCase> cases = {
        {"a folder in a deleted tree", Root + "Tree\\Link", Root + "Tree\\Link\\behind.txt",
         Root + "Tree\\own.txt", [&] { DeleteFolderTree(Root + "Tree", IsPlayedLink); }},
        {"the deleted folder itself", Root + "Given", Root + "Given\\behind.txt", "",
         [&] { DeleteFolderTree(Root + "Given\\", IsPlayedLink); }},
        {"the documents folder", documents, oldImages + "Checkmarks\\c.gif", "",
         [&] { RemoveOldClipImages(Root, false, IsPlayedLink); }},
        {"a folder above the old images", portable + "Clip Library", images + "Checkmarks\\c.gif",
         "", [&] { RemoveOldClipImages(portable, true, IsPlayedLink); }},
        {"the old check marks", images + "Checkmarks", images + "Checkmarks\\c.gif",
         images + "Bullets\\Bullet 1.gif",
         [&] { RemoveOldClipImages(portable, true, IsPlayedLink); }},
        {"the old bullets", images + "Bullets", images + "Bullets\\Bullet 1.gif",
         images + "Checkmarks", [&] { RemoveOldClipImages(portable, true, IsPlayedLink); }},
        {"a temporary folder", temp + TempPrefix() + "Link",
         temp + TempPrefix() + "Link\\behind.txt", temp + TempPrefix() + "9.tmp",
         [&] { CleanTempFiles(IsPlayedLink); }},
        // An empty folder of that form would go, but not as a link.
        {"a leftover of a write", writes + WritePrefix() + "5.tmp",
         writes + WritePrefix() + "5.tmp", writes + WritePrefix() + "6.tmp",
         [&] { RemoveLeftoverWrites(writes, IsPlayedLink); }},
    };
    for (const TCase& c : cases) {
        for (const std::string& base : {portable, documents + "Quorvale\\"}) {
            MakeFolder(base + "Clip Library\\Images\\Checkmarks\\");
            MakeFolder(base + "Clip Library\\Images\\Bullets\\");
            WriteFileBytes(base + "Clip Library\\Images\\Checkmarks\\c.gif", "c");
            WriteFileBytes(base + "Clip Library\\Images\\Bullets\\Bullet 1.gif", "b");
        }
        MakeFolder(Root + "Tree\\");
        MakeFolder(writes + WritePrefix() + "6.tmp\\");
        MakeFolder(c.Link + "\\");
        if (c.Kept != c.Link) WriteFileBytes(c.Kept, "behind");
        WriteFileBytes(Root + "Tree\\own.txt", "own");
        WriteFileBytes(temp + TempPrefix() + "9.tmp", "leftover");
        PlayedLink = c.Link;

        c.CleanUp();

        PlayedLink.clear();
        EXPECT_TRUE(Exists(c.Kept)) << c.What;
        if (!c.Gone.empty()) EXPECT_FALSE(Exists(c.Gone)) << c.What;
        DeleteFolderTree(Root);
        MakeFolder(Root);
        DeleteFolderTree(documents + "Quorvale");
        CleanTempFiles();
    }
}

// The diagnostic log is made through folders opened from the drive's root
// down with links refused: a link anywhere on the way, even right below the
// root, makes it fail, and nothing is written behind it; without one it is
// made.
TEST_F(Folders, NoLogIsMadeThroughALinkOnItsWay) {
    const std::string log = Root + "Logs\\setup.log";
    MakeFolder(Root + "Logs\\");
    for (const std::string& played :
         {Root.substr(0, Root.find('\\', 3)), Root + "Logs", std::string()}) {
        PlayedLink = played;
        const std::string written = OpenDiagnosticLog(log, IsPlayedLink);
        PlayedLink.clear();
        CloseDiagnosticLog();
        EXPECT_EQ(written, played.empty() ? log : "") << played;
        EXPECT_EQ(Exists(log), played.empty()) << played;
    }
}

// The walk holds every folder from where it starts down to the item it
// visits: none of them can be renamed or removed meanwhile, so none can be
// swapped for a link. Items come before their folder; a link is visited,
// never entered.
TEST_F(Folders, WalkHoldsEachFolderOnTheWayAndVisitsItemsFirst) {
    MakeFolder(Root + "Tree\\A\\B\\");
    MakeFolder(Root + "Tree\\Link\\");
    WriteFileBytes(Root + "Tree\\A\\B\\x.txt", "x");
    WriteFileBytes(Root + "Tree\\Link\\behind.txt", "b");
    PlayedLink = Root + "Tree\\Link";
    std::vector<std::string> visited;
    std::vector<std::string> movedWhileHeld;
    const bool complete = WalkFolderTree(
        Root + "Tree", 0,
        [&](const TOpenItem& item) {
            visited.push_back(item.Path.substr(Root.size()) + (item.Link ? " (link)" : ""));
            if (item.Path != Root + "Tree\\A\\B\\x.txt") return;
            for (const char* folder : {"Tree\\A\\B", "Tree\\A", "Tree"})
                if (MoveFileA((Root + folder).c_str(), (Root + "Swapped").c_str()))
                    movedWhileHeld.push_back(folder);
        },
        IsPlayedLink);
    PlayedLink.clear();

    EXPECT_TRUE(complete);
    EXPECT_EQ(movedWhileHeld, std::vector<std::string>{});
    // The listing's order is the system's: the link may come first.
    const std::vector<std::string> branch = {"Tree\\A\\B\\x.txt", "Tree\\A\\B", "Tree\\A"};
    std::vector<std::string> linkLast = branch, linkFirst = {"Tree\\Link (link)"};
    linkLast.push_back("Tree\\Link (link)");
    linkFirst.insert(linkFirst.end(), branch.begin(), branch.end());
    linkLast.push_back("Tree");
    linkFirst.push_back("Tree");
    EXPECT_TRUE(visited == linkLast || visited == linkFirst) << ::testing::PrintToString(visited);
}
