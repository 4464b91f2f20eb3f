// The installation run's checks, as both front-ends meet them: the take-over
// of a typed or given destination, and the space verdict of the components
// page.
#include "base/shell_folders.h"
#include "engine/install_run.h"
#include "engine_test_support.h"
#include "payload/disk_space.h"
#include "system/destination_rules.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

using namespace enginetest;

namespace {
// The bytes a file of `size` takes on the volume of `dest`.
int64_t OnDisk(const std::string& dest, int64_t size) {
    const int64_t cluster = ClusterSize(dest);
    return (size + cluster - 1) / cluster * cluster;
}

class InstallRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadCatalogue(Files, {{"kel.exe", std::string(10000, 'k'), 45000.0},
                              {"License.txt", std::string(100, 'l'), 45000.0},
                              {"English (American).asc", std::string(5000, 'a'), 45000.0},
                              {"Hyphenation.dat", std::string(3000, 'h'), 45000.0}});
    }

    TAttachedFiles Files;
    const std::string Dest = FreshFolder("install-run") + "Apps\\Quorvale";
};
} // namespace

TEST_F(InstallRunTest, TakesATypedDestinationOverTidiedOrLeavesTheChoiceAsItWas) {
    TInstallRun run(Files, TSavedSettings(), Dest);
    EXPECT_EQ(run.Choices.DestinationHow, "given with -d");

    TTakenDestination taken = run.TakeDestination("  " + Dest + "\\ ", 0);
    EXPECT_EQ(taken.Folder, Dest);
    EXPECT_TRUE(taken.Refusal.empty()) << taken.Refusal;
    EXPECT_EQ(run.Choices.DestDir, Dest);

    // A folder without a drive is tidied on the drive it was typed for, or
    // on the drive of Program Files when the front-end names none.
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(programFiles.empty());
    EXPECT_EQ(run.TakeDestination("Games", 0).Folder,
              NormalizedDestination("Games", programFiles[0], programFiles));
    EXPECT_EQ(run.TakeDestination("Games", 'q').Folder,
              NormalizedDestination("Games", 'q', programFiles));

    run.Choices.DestDir = Dest;
    // Refused, shown tidied, and the choice stays the last one taken.
    for (const std::string& typed :
         {Dest + "\\Quor*vale", Dest + "\\" + std::string(250, 'x'), std::string("\\\\?\\C:\\Q")}) {
        taken = run.TakeDestination(typed + "\\", 0);
        EXPECT_FALSE(taken.Refusal.empty()) << typed;
        EXPECT_EQ(taken.Folder, NormalizedDestination(typed, programFiles[0], programFiles))
            << typed;
        EXPECT_EQ(run.Choices.DestDir, Dest) << typed;
    }
}

TEST_F(InstallRunTest, SpaceVerdictCountsTheChosenComponentsOnTheDestinationsVolume) {
    TInstallRun run(Files, TSavedSettings(), Dest);
    run.MeasureComponents();
    EXPECT_EQ(run.ComponentSize(kProgram), OnDisk(Dest, 10000) + OnDisk(Dest, 100));
    EXPECT_EQ(run.ComponentSize(kSpellchecker), OnDisk(Dest, 5000));
    EXPECT_EQ(run.ComponentSize(kSoundScheme), 0);

    TComponentSet chosen;
    chosen.Add(kProgram);
    chosen.Add(kSpellchecker);
    const TSpaceVerdict space = run.Space(chosen);
    // The hyphenation file is not chosen and is not counted.
    EXPECT_EQ(space.Required, run.ComponentSize(kProgram) + run.ComponentSize(kSpellchecker));
    EXPECT_GT(space.Available, space.Required);
    EXPECT_TRUE(space.Enough());
    EXPECT_EQ(run.SpaceShortfall(), "");

    // A volume that cannot be asked would refuse the files as well.
    run.Choices.DestDir = "Q:\\Quorvale";
    run.MeasureComponents();
    const TSpaceVerdict unknown = run.Space(chosen);
    EXPECT_EQ(unknown.Available, kUnknownFreeSpace);
    EXPECT_FALSE(unknown.Enough());
    EXPECT_NE(run.SpaceShortfall().find("unknown available"), std::string::npos)
        << run.SpaceShortfall();
}
