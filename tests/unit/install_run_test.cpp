// The installation run's checks, as both front-ends meet them: the take-over
// of a typed or given destination, and the space verdict of the components
// page.
#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine/install_run.h"
#include "engine_test_support.h"
#include "payload/disk_space.h"
#include "payload/folders.h"
#include "system/destination_rules.h"
#include "wine_drive.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

using namespace enginetest;

namespace {
// The common application data folder of the prefix moved to `folder` while
// the object lives, as an administrator may move it.
class TCommonDataOn {
  public:
    explicit TCommonDataOn(const char* folder) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &Key_, nullptr);
        DWORD size = sizeof Old_;
        Had_ =
            RegQueryValueExA(Key_, "Common AppData", nullptr, &Type_, Old_, &size) == ERROR_SUCCESS;
        OldSize_ = size;
        RegSetValueExA(Key_, "Common AppData", 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(folder), DWORD(strlen(folder) + 1));
    }
    ~TCommonDataOn() {
        if (Had_)
            RegSetValueExA(Key_, "Common AppData", 0, Type_, Old_, OldSize_);
        else
            RegDeleteValueA(Key_, "Common AppData");
        RegCloseKey(Key_);
    }

  private:
    static constexpr char kShellFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY Key_ = nullptr;
    DWORD Type_ = 0, OldSize_ = 0;
    BYTE Old_[MAX_PATH * 2] = {};
    bool Had_ = false;
};

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

TEST_F(InstallRunTest, SpaceVerdictCountsEachComponentOnTheDriveItsFilesGoTo) {
    // The destination lies in the build tree, the data folders on the
    // prefix's own drive.
    const std::string data = DrivePart(SpecialFolder(CSIDL_COMMON_APPDATA));
    ASSERT_NE(data, DrivePart(Dest));
    TInstallRun run(Files, TSavedSettings(), Dest);
    run.MeasureComponents();
    EXPECT_EQ(run.ComponentSize(kProgram), OnDisk(Dest, 10000) + OnDisk(Dest, 100));
    EXPECT_EQ(run.ComponentSize(kSpellchecker), OnDisk(data, 5000));
    EXPECT_EQ(run.ComponentSize(kSoundScheme), 0);

    TComponentSet chosen;
    chosen.Add(kProgram);
    chosen.Add(kSpellchecker);
    const TSpaceVerdict space = run.Space(chosen);
    // The hyphenation file is not chosen and is not counted; the
    // dictionary counts on the data folders' drive only.
    EXPECT_EQ(space.Destination.Drive, DrivePart(Dest));
    EXPECT_EQ(space.Destination.Required, run.ComponentSize(kProgram));
    EXPECT_GT(space.Destination.Available, space.Destination.Required);
    EXPECT_EQ(space.Data.Drive, data);
    EXPECT_EQ(space.Data.Required, run.ComponentSize(kSpellchecker));
    EXPECT_GT(space.Data.Available, space.Data.Required);
    EXPECT_TRUE(space.Enough());
    EXPECT_EQ(&space.Telling(), &space.Destination);
    EXPECT_EQ(run.SpaceShortfall(), "");

    // A volume that cannot be asked would refuse the files as well.
    run.Choices.Components = chosen;
    run.Choices.DestDir = "Q:\\Quorvale";
    run.MeasureComponents();
    const TSpaceVerdict unknown = run.Space(chosen);
    EXPECT_EQ(unknown.Destination.Available, kUnknownFreeSpace);
    EXPECT_FALSE(unknown.Enough());
    EXPECT_EQ(run.SpaceShortfall(), "Not enough space on drive Q: (the destination's): " +
                                        std::to_string(run.ComponentSize(kProgram)) +
                                        " bytes needed, unknown available");

    // The data folders on the test run's small drive (16 MB of its own),
    // too small for a 17 MB dictionary, the destination where the room is:
    // the verdict is no, and it names that drive.
    TWineDrive small(std::string(QV_OUT_DIR) + "\\small-drive", DRIVE_FIXED);
    ASSERT_TRUE(small.Defined());
    const std::string common = small.Root() + "ProgramData";
    MakeFolder(common + "\\");
    const int64_t free = FreeSpace(DrivePart(common));
    if (free > 16 << 20) GTEST_SKIP() << "QV_OUT_DIR\\small-drive is no small file system";
    TAttachedFiles big;
    LoadCatalogue(big,
                  {{"kel.exe", "k", 45000.0}, {"us.zlx", std::string(17 << 20, 'u'), 45000.0}});
    TInstallRun onSmall(big, TSavedSettings(), Dest);
    onSmall.Choices.Components = chosen;
    TCommonDataOn moved(common.c_str());
    ASSERT_EQ(SpecialFolder(CSIDL_COMMON_APPDATA), common);
    onSmall.MeasureComponents();
    const TSpaceVerdict shortData = onSmall.Space(chosen);
    EXPECT_TRUE(shortData.Destination.Enough());
    EXPECT_EQ(shortData.Data.Required, 17 << 20);
    EXPECT_FALSE(shortData.Enough());
    EXPECT_EQ(&shortData.Telling(), &shortData.Data);
    EXPECT_EQ(onSmall.SpaceShortfall(), "Not enough space on drive " + DrivePart(common) +
                                            " (the data folders'): " + std::to_string(17 << 20) +
                                            " bytes needed, " + std::to_string(free) +
                                            " available");
    // Without the dictionary nothing goes there.
    EXPECT_TRUE(onSmall.Space(TComponentSet(1u << kProgram)).Enough());
    RemoveDirectoryA(common.c_str());
}
