// Planning copies: patterns, the three overwrite modes and the shared files.
#include "base/locale_text.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine_test_support.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "system/data_folders.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace enginetest;

namespace {
class Plan : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("plan");
        LoadCatalogue(Files,
                      {
                          {"Templates\\Normal.dot", "n", Stamp(2020, 1, 1, 0, 0, 0)},
                          {"templates\\Letters\\Deep\\Formal.dot", "f", Stamp(2020, 1, 1, 0, 0, 2)},
                          {"TemplatesExtra\\x.dot", "x", Stamp(2020, 1, 1, 0, 0, 4)},
                          {"Twice.txt", "first", Stamp(2020, 1, 1, 0, 0, 6)},
                          {"TWICE.txt", "second!", Stamp(2020, 1, 1, 0, 0, 8)},
                          {"Stamped.dat", "s", Stamp(2021, 6, 15, 11, 31, 40)},
                          {"Empty.dat", "", Stamp(2020, 1, 1, 0, 0, 10)},
                      });
    }
    void TearDown() override { ResetEngineState(); }

    std::vector<std::string> Targets(int component) const {
        return PlannedTargets(Files, component);
    }

    TAttachedFiles Files;
    std::string Root;
};
} // namespace

TEST_F(Plan, FolderPatternInAnyCaseSelectsEveryDepthButNotSimilarFolders) {
    EXPECT_TRUE(Files.PlanFiles("templates\\", Root, 3, AlwaysReplace));
    EXPECT_EQ(Targets(3),
              (std::vector<std::string>{Root + "Templates\\Normal.dot",
                                        Root + "templates\\Letters\\Deep\\Formal.dot"}));
    Files.ClearInstallList(3);
    EXPECT_TRUE(Files.PlanFiles("Templates\\", Root, 3, AlwaysReplace));
    EXPECT_EQ(Files.InstallLists[3].size(), 2u);
}

TEST_F(Plan, FilePatternPlansTheFirstOfDuplicateNames) {
    EXPECT_TRUE(Files.PlanFiles("twice.TXT", Root, 0, AlwaysReplace));
    ASSERT_EQ(Files.InstallLists[0].size(), 1u);
    EXPECT_EQ(Files.InstallLists[0][0].Source->Name, "Twice.txt");
    EXPECT_EQ(Targets(0), std::vector<std::string>{Root + "Twice.txt"});
}

TEST_F(Plan, PatternWithoutMatchPlansNothing) {
    EXPECT_FALSE(Files.PlanFiles("Missing.txt", Root, 0, AlwaysReplace));
    EXPECT_FALSE(Files.PlanFiles("Clip Library\\", Root, 4, AlwaysReplace));
    EXPECT_FALSE(Files.PlanFiles("Normal.dot", Root, 6, AlwaysReplace)); // no component 6
    EXPECT_EQ(Files.TotalInstallSize(), 0);
}

TEST_F(Plan, ReplaceIfChangedComparesAtDosResolution) {
    const std::string target = Root + "Stamped.dat";
    WriteFileBytes(target, "old");
    SetLocalWriteTime(target, 2021, 6, 15, 11, 31, 41); // the odd second drops
    EXPECT_FALSE(Files.PlanFiles("Stamped.dat", Root, 0, ReplaceIfChanged));
    SetLocalWriteTime(target, 2021, 6, 15, 11, 31, 43);
    EXPECT_TRUE(Files.PlanFiles("Stamped.dat", Root, 0, ReplaceIfChanged));
    SetLocalWriteTime(target, 2021, 6, 15, 11, 31, 38);
    EXPECT_TRUE(Files.PlanFiles("Stamped.dat", Root, 0, ReplaceIfChanged));
    EXPECT_EQ(Files.InstallLists[0].size(), 2u);
}

TEST_F(Plan, KeepExistingLeavesAFileInUseAlone) {
    const std::string target = Root + "Stamped.dat";
    WriteFileBytes(target, "old");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        TLockedFile locked(target);
        EXPECT_FALSE(Files.PlanFiles("Stamped.dat", Root, 1, KeepExisting));
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(Files.InstallLists[1].empty());
    EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(Plan, AFolderAtTheTargetDoesNotStopPlanning) {
    CreateDirectoryA((Root + "Stamped.dat").c_str(), nullptr);
    EXPECT_TRUE(Files.PlanFiles("Stamped.dat", Root, 0, KeepExisting));
}

TEST_F(Plan, ForceReplaceIgnoresWhatIsThere) {
    const std::string target = Root + "Stamped.dat";
    WriteFileBytes(target, "old");
    Files.ForceReplace = true;
    EXPECT_TRUE(Files.PlanFiles("Stamped.dat", Root, 0, KeepExisting));
    SetLocalWriteTime(target, 2021, 6, 15, 11, 31, 40);
    EXPECT_TRUE(Files.PlanFiles("Stamped.dat", Root, 0, ReplaceIfChanged));
}

TEST_F(Plan, SharedFilesAreListedWithTheMarkOfTheRequestedMode) {
    const std::string common = SpecialFolder(CSIDL_COMMON_APPDATA);
    ASSERT_FALSE(common.empty());
    const std::string shared = UpperCaseText(JoinPath(common, "quorvale\\public\\"));
    Files.ForceReplace = true;
    Files.PlanFiles("Templates\\", shared, 3, KeepExisting);
    Files.PlanFiles("Stamped.dat", JoinPath(shared, "Sub"), 5, ReplaceIfChanged);
    Files.PlanFiles("Empty.dat", Root, 5, KeepExisting); // not shared
    Files.PlanFileTo("Stamped.dat", JoinPath(common, "Quorvale\\Publications\\s.dat"), 5,
                     AlwaysReplace); // only begins like the shared folder
    EXPECT_EQ(Files.PublicFiles, (std::vector<std::string>{
                                     shared + "Templates\\Normal.dot\t!",
                                     shared + "templates\\Letters\\Deep\\Formal.dot\t!",
                                     shared + "Sub\\Stamped.dat",
                                 }));
}

TEST_F(Plan, ExactTargetAndRepeatedPlansMakeSeparateCopies) {
    EXPECT_TRUE(Files.PlanFileTo("twice.txt", Root + "Other name.txt", 1, AlwaysReplace));
    EXPECT_TRUE(Files.PlanFiles("Twice.txt", Root, 1, AlwaysReplace));
    EXPECT_TRUE(Files.PlanFiles("Twice.txt", Root, 1, AlwaysReplace));
    EXPECT_TRUE(Files.PlanFiles("Empty.dat", Root, 2, AlwaysReplace));
    EXPECT_EQ(Targets(1), (std::vector<std::string>{Root + "Other name.txt", Root + "Twice.txt",
                                                    Root + "Twice.txt"}));
    EXPECT_EQ(Files.TotalInstallSize(), 15); // "first" three times, the empty file adds nothing
}

TEST_F(Plan, LoggedFollowsTheSuppressionAtPlanningTime) {
    Files.PlanFiles("Stamped.dat", Root, 0, AlwaysReplace);
    SuppressLog();
    Files.PlanFiles("Empty.dat", Root, 0, AlwaysReplace);
    ResumeLog();
    ASSERT_EQ(Files.InstallLists[0].size(), 2u);
    EXPECT_TRUE(Files.InstallLists[0][0].Logged);
    EXPECT_FALSE(Files.InstallLists[0][1].Logged);
}

TEST_F(Plan, ClearingEmptiesOneListOnly) {
    Files.PlanFiles("Stamped.dat", Root, 0, AlwaysReplace);
    Files.PlanFiles("Stamped.dat", Root, 1, AlwaysReplace);
    Files.ClearInstallList(0);
    EXPECT_TRUE(Files.InstallLists[0].empty());
    EXPECT_EQ(Files.InstallLists[1].size(), 1u);
    EXPECT_EQ(Files.TotalInstallSize(), 1);
}
