// The placement table run for non-portable and portable destinations and
// for earlier versions of the product.
#include "base/folder_items.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "system/install_plan.h"

#include "engine_test_support.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "system/data_folders.h"
#include "wine_drive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <shlobj.h>

using namespace enginetest;

namespace {
const double kDate = Stamp(2023, 4, 5, 6, 7, 8);

class InstallPlan : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        RemoveDataFolders();
        Dest = FreshFolder("plan-table") + "Quorvale Word Processor";
        LoadCatalogue(Files, {
                                 {"Basic.asn", "sound", kDate},
                                 {"Clip Library\\Images\\Bullets\\Bullet 1.gif", "b1", kDate},
                                 {"Clip Library\\Images\\Checkmarks\\Tick.gif", "tick", kDate},
                                 {"Clip LibraryOld\\x.gif", "x", kDate},
                                 {"English (American).asc", "us-asc", kDate},
                                 {"English (American).cache", "cache", kDate},
                                 {"English (British).asc", "uk-asc", kDate},
                                 {"Hyphenation.dat", "hyph", kDate},
                                 {"License.txt", "licence", kDate},
                                 {"Templates\\Letters\\Formal.dot", "formal", kDate},
                                 {"Templates\\Normal.dot", "normal", kDate},
                                 {"english.zlx", "en-zlx", kDate},
                                 {"kel.exe", "MZ", kDate},
                                 {"uk.zlx", "uk-zlx", kDate},
                                 {"us.zlx", "us-zlx", kDate},
                                 {"userdicen.tlx", "userdic", kDate},
                             });
        StartInstallLog("");
        Common = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale\\");
        OldBase = JoinPath(SpecialFolder(CSIDL_PERSONAL), "Quorvale\\");
    }
    void TearDown() override {
        ResetEngineState();
        RemoveDataFolders();
    }

    struct TCopy {
        std::string Source, Target;
        bool Logged;
        bool operator==(const TCopy& o) const {
            return Source == o.Source && Target == o.Target && Logged == o.Logged;
        }
    };
    std::vector<TCopy> Copies(int component) const {
        std::vector<TCopy> copies;
        for (const auto& c : Files.InstallLists[component])
            copies.push_back({c.Source->Name, c.Target, c.Logged});
        return copies;
    }

    // Images an installation before 3.0 left in the documents folder.
    void PlantOldImages(const std::string& base) {
        SuppressLog();
        MakeFolder(base + "Clip Library\\Images\\Checkmarks\\Old\\");
        MakeFolder(base + "Clip Library\\Images\\Bullets\\");
        WriteFileBytes(base + "Clip Library\\Images\\Checkmarks\\Old\\c.gif", "c");
        for (const char* name :
             {"Bullet 1.gif", "Bullet 32.gif", "Bullet 33.gif", "Bullet 01.gif", "Target.gif"})
            WriteFileBytes(base + "Clip Library\\Images\\Bullets\\" + name, "b");
        ResumeLog();
    }
    bool OldImagesRemoved(const std::string& base) {
        const std::string bullets = base + "Clip Library\\Images\\Bullets\\";
        const bool removed = !Exists(base + "Clip Library\\Images\\Checkmarks") &&
                             !Exists(bullets + "Bullet 1.gif") &&
                             !Exists(bullets + "Bullet 32.gif") && !Exists(bullets + "Target.gif");
        // Only the names of the old images go.
        EXPECT_TRUE(Exists(bullets + "Bullet 33.gif"));
        EXPECT_TRUE(Exists(bullets + "Bullet 01.gif"));
        return removed;
    }

    TAttachedFiles Files;
    std::string Dest, Common, OldBase;
};

} // namespace

TEST_F(InstallPlan, NonPortableEverythingSelected) {
    const double before = LocalNow();
    const double stamp = BuildInstallPlan(Files, {ForEveryone(Dest), 0x3F, 2147483647});
    const std::string spell = Common + "Public\\Spellcheck\\", pub = Common + "Public\\";

    EXPECT_TRUE(Files.ForceReplace);
    EXPECT_EQ(LogSuppression, 0);
    EXPECT_EQ(Copies(0), (std::vector<TCopy>{{"kel.exe", Dest + "\\kel.exe", true},
                                             {"License.txt", Dest + "\\License.txt", true}}));
    EXPECT_EQ(Copies(1),
              (std::vector<TCopy>{
                  {"English (American).asc", spell + "English (American).asc", false},
                  {"English (American).cache", spell + "English (American).cache", false},
                  {"English (British).asc", spell + "English (British).asc", false},
                  {"English (American).cache", spell + "English (British).cache", false},
                  {"english.zlx", spell + "english.zlx", false},
                  {"us.zlx", spell + "us.zlx", false},
                  {"uk.zlx", spell + "uk.zlx", false},
                  {"userdicen.tlx", spell + "userdicen.tlx", false},
              }));
    EXPECT_EQ(Copies(2),
              (std::vector<TCopy>{{"Hyphenation.dat", Dest + "\\Hyphenation.dat", true}}));
    EXPECT_EQ(Copies(3),
              (std::vector<TCopy>{
                  {"Templates\\Letters\\Formal.dot", pub + "Templates\\Letters\\Formal.dot", false},
                  {"Templates\\Normal.dot", pub + "Templates\\Normal.dot", false},
              }));
    EXPECT_EQ(Copies(4), (std::vector<TCopy>{
                             {"Clip Library\\Images\\Bullets\\Bullet 1.gif",
                              pub + "Clip Library\\Images\\Bullets\\Bullet 1.gif", false},
                             {"Clip Library\\Images\\Checkmarks\\Tick.gif",
                              pub + "Clip Library\\Images\\Checkmarks\\Tick.gif", false},
                         }));
    EXPECT_EQ(Copies(5), (std::vector<TCopy>{{"Basic.asn", pub + "Basic.asn", true}}));

    EXPECT_EQ(Files.PublicFiles, (std::vector<std::string>{
                                     spell + "English (American).asc\t!",
                                     spell + "English (American).cache\t!",
                                     spell + "English (British).asc\t!",
                                     spell + "English (British).cache\t!",
                                     spell + "english.zlx",
                                     spell + "us.zlx",
                                     spell + "uk.zlx",
                                     spell + "userdicen.tlx\t!",
                                     pub + "Templates\\Letters\\Formal.dot\t!",
                                     pub + "Templates\\Normal.dot\t!",
                                     pub + "Clip Library\\Images\\Bullets\\Bullet 1.gif\t!",
                                     pub + "Clip Library\\Images\\Checkmarks\\Tick.gif\t!",
                                     pub + "Basic.asn",
                                 }));
    // The shared folders were made while the log was suppressed; the hidden
    // one for the stamp was not.
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Made Dir: " + Common + "Hidden\\"});
    EXPECT_TRUE(FolderExists(spell));

    EXPECT_GE(stamp, before);
    EXPECT_LT(stamp - before, 60.0 / 86400);
    const std::string stampFile = ReadFileBytes(Common + "Hidden\\install_stamp");
    ASSERT_EQ(stampFile.size(), 8u);
    double written;
    std::memcpy(&written, stampFile.data(), 8);
    EXPECT_EQ(written, stamp);
}

TEST_F(InstallPlan, OnlyTheWordProcessor) {
    PlantOldImages(OldBase);
    BuildInstallPlan(Files, {ForEveryone(Dest), 0x01, 2147483647});
    EXPECT_EQ(Files.InstallLists[0].size(), 2u);
    for (int k = 1; k < 6; ++k)
        EXPECT_TRUE(Files.InstallLists[k].empty()) << k;
    EXPECT_TRUE(Files.PublicFiles.empty());
    EXPECT_FALSE(Exists(Common + "Public"));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Made Dir: " + Common,
                                                    "Made Dir: " + Common + "Hidden\\"}));
    EXPECT_FALSE(OldImagesRemoved(OldBase)); // a first installation removes nothing
}

TEST_F(InstallPlan, ClipLibraryFollowsTheLastRunVersion) {
    struct TCase {
        int32_t lastRun;
        bool selected, planned, removed;
    };
    const TCase cases[] = {
        {20003999, false, true, true},   {20003999, true, true, true},
        {20004000, false, false, false}, {25000000, false, false, false},
        {25000000, true, true, true},    {29999999, true, true, true},
        {30000000, false, false, false}, {30000000, true, true, false},
        {2147483647, true, true, false}, {-5, false, true, true},
    };
    for (const TCase& c : cases) {
        PlantOldImages(OldBase);
        BuildInstallPlan(Files, {ForEveryone(Dest), uint8_t(c.selected ? 0x11 : 0x01), c.lastRun});
        EXPECT_EQ(Files.InstallLists[4].size(), c.planned ? 2u : 0u) << c.lastRun << c.selected;
        EXPECT_EQ(OldImagesRemoved(OldBase), c.removed) << c.lastRun << c.selected;
        EXPECT_EQ(LogSuppression, 0);
        DeleteFolderTree(OldBase);
    }
}

TEST_F(InstallPlan, SecondPlanStartsAfresh) {
    BuildInstallPlan(Files, {ForEveryone(Dest), 0x3F, 2147483647});
    const int32_t total = Files.TotalInstallSize();
    const size_t shared = Files.PublicFiles.size();
    BuildInstallPlan(Files, {ForEveryone(Dest), 0x3F, 2147483647});
    EXPECT_EQ(Files.TotalInstallSize(), total);
    EXPECT_EQ(Files.PublicFiles.size(), shared);
}

TEST_F(InstallPlan, PortableKeepsEverythingInTheDestinationAndHonoursTheModes) {
    const std::string area = FreshFolder("plan-portable");
    TWineDrive stick(area, DRIVE_REMOVABLE);
    ASSERT_TRUE(stick.Defined());
    const std::string dest = stick.Root() + "Quorvale";
    const std::string spell = dest + "\\Spellcheck\\";
    MakeFolder(spell);
    WriteFileBytes(spell + "userdicen.tlx", "my own words"); // mode 0: stays
    WriteFileBytes(spell + "english.zlx", "same");           // mode 1, same time: stays
    SetFileDate(spell + "english.zlx", kDate);
    WriteFileBytes(spell + "us.zlx", "older"); // mode 1, other time: replaced
    SetFileDate(spell + "us.zlx", kDate - 1);
    WriteFileBytes(dest + "\\kel.exe", "MZ"); // mode 1, same time: stays
    SetFileDate(dest + "\\kel.exe", kDate);
    PlantOldImages(dest + "\\");
    PlantOldImages(OldBase);

    const double stamp = BuildInstallPlan(Files, {ForEveryone(dest), 0x3F, 20003999});

    EXPECT_EQ(stamp, 0.0);
    EXPECT_FALSE(Files.ForceReplace);
    EXPECT_EQ(Copies(0), (std::vector<TCopy>{{"License.txt", dest + "\\License.txt", true}}));
    std::vector<std::string> spellTargets;
    for (const auto& c : Files.InstallLists[1])
        spellTargets.push_back(c.Target);
    EXPECT_EQ(spellTargets, (std::vector<std::string>{
                                spell + "English (American).asc",
                                spell + "English (American).cache",
                                spell + "English (British).asc",
                                spell + "English (British).cache",
                                spell + "us.zlx",
                                spell + "uk.zlx",
                            }));
    ASSERT_EQ(Files.InstallLists[3].size(), 2u);
    EXPECT_EQ(Files.InstallLists[3][1].Target, dest + "\\Templates\\Normal.dot");
    EXPECT_EQ(Files.InstallLists[5][0].Target, dest + "\\Basic.asn");
    EXPECT_TRUE(Files.PublicFiles.empty());
    EXPECT_TRUE(OldImagesRemoved(dest + "\\"));
    EXPECT_FALSE(OldImagesRemoved(OldBase));
    EXPECT_FALSE(Exists(Common));
    EXPECT_FALSE(Exists(dest + "\\install_stamp"));
    EXPECT_EQ(ReadFileBytes(spell + "userdicen.tlx"), "my own words");
}
