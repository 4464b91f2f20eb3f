#include "base/locale_text.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/run_time_functions.h"
#include "base/shell_folders.h"
#include "system/data_folders.h"
#include "system/folder_protection.h"
#include "payload/diagnostic_log.h"
#include "base/folder_items.h"

#include "engine_test_support.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "wine_drive.h"

#include <gtest/gtest.h>

#include <functional>

#include <sddl.h>
#include <shlobj.h>

using namespace enginetest;

TEST(JoinPath, PutsExactlyOneBackslashBetween) {
    EXPECT_EQ(JoinPath("C:\\Prog", "a.txt"), "C:\\Prog\\a.txt");
    EXPECT_EQ(JoinPath("C:\\Prog\\", "a.txt"), "C:\\Prog\\a.txt");
    EXPECT_EQ(JoinPath("C:\\Prog/", "a.txt"), "C:\\Prog\\a.txt");
    EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
    EXPECT_EQ(JoinPath("C:\\Prog", ""), "C:\\Prog\\");
    EXPECT_EQ(JoinPath("C:\\Prog", "Sub\\b.txt"), "C:\\Prog\\Sub\\b.txt");
}

TEST(SpecialFolders, ResolvedThroughTheShell) {
    const std::string common = SpecialFolder(CSIDL_COMMON_APPDATA);
    EXPECT_FALSE(common.empty());
    EXPECT_TRUE(FolderExists(common));
    EXPECT_FALSE(SpecialFolder(CSIDL_PERSONAL).empty());
    EXPECT_EQ(SpecialFolder(0x7F), ""); // no such folder
}

TEST(SpecialFolders, SystemLibrariesComeFromTheSystemFolderOnly) {
    const TModuleHandle library = LoadSystemLibrary("shfolder.dll");
    const HMODULE shfolder = library.Get();
    ASSERT_NE(shfolder, nullptr);
    char path[MAX_PATH + 1], system[MAX_PATH + 1];
    const std::string loaded(path, GetModuleFileNameA(shfolder, path, sizeof path));
    const std::string folder(system, GetSystemDirectoryA(system, sizeof system));
    EXPECT_TRUE(SameName(loaded, JoinPath(folder, "shfolder.dll"))) << loaded;
    EXPECT_NE(GetProcAddress(shfolder, "SHGetFolderPathA"), nullptr);
    EXPECT_EQ(LoadSystemLibrary("no-such-library.dll").Get(), nullptr);
}

TEST(Portable, StorageDescriptorBusTypesAndRemovableMedia) {
    unsigned char d[548] = {};
    EXPECT_FALSE(StorageDescriptorIsPortable(d, sizeof d));
    d[28] = 7; // USB
    EXPECT_TRUE(StorageDescriptorIsPortable(d, sizeof d));
    d[28] = 4; // IEEE 1394
    EXPECT_TRUE(StorageDescriptorIsPortable(d, sizeof d));
    d[28] = 1; // ATAPI
    EXPECT_FALSE(StorageDescriptorIsPortable(d, sizeof d));
    d[29] = 7; // only the low byte of the 32-bit field counts as 7
    EXPECT_FALSE(StorageDescriptorIsPortable(d, sizeof d));
    d[29] = 0;
    d[10] = 1; // RemovableMedia
    EXPECT_TRUE(StorageDescriptorIsPortable(d, sizeof d));
    EXPECT_FALSE(StorageDescriptorIsPortable(d, 16));
}

TEST(Portable, FixedNetworkAndOpticalDrivesAreNot) {
    EXPECT_FALSE(IsPortable("C:\\Program Files\\Quorvale"));
    EXPECT_FALSE(IsPortable("c:"));
    EXPECT_FALSE(IsPortable(QV_OUT_DIR));
    EXPECT_FALSE(IsPortable("\\\\server\\share\\Quorvale"));
    TWineDrive cdrom(JoinPath(QV_OUT_DIR, "engine-cdrom"), DRIVE_CDROM);
    ASSERT_TRUE(cdrom.Defined());
    EXPECT_FALSE(IsPortable(cdrom.Root() + "Quorvale"));
}

TEST(Portable, RemovableDriveIs) {
    TWineDrive stick(JoinPath(QV_OUT_DIR, "engine-removable"), DRIVE_REMOVABLE);
    ASSERT_TRUE(stick.Defined());
    EXPECT_EQ(GetDriveTypeA(stick.Root().c_str()), UINT(DRIVE_REMOVABLE));
    EXPECT_TRUE(IsPortable(stick.Root() + "Quorvale"));
    EXPECT_TRUE(IsPortable(stick.Root()));
}

namespace {
class DataFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        RemoveDataFolders();
        StartInstallLog("");
    }
    void TearDown() override {
        ResetEngineState();
        RemoveDataFolders();
    }
};
} // namespace

TEST_F(DataFolders, SharedFoldersLieUnderTheCommonApplicationData) {
    const std::string base = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale\\");
    const std::string dest = "C:\\Program Files\\Quorvale";
    EXPECT_EQ(DataFolder(TDataFolderKind::Spellcheck, ForEveryone(dest)),
              base + "Public\\Spellcheck\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Hidden, ForEveryone(dest)), base + "Hidden\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Public, ForEveryone(dest)), base + "Public\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Base, ForEveryone(dest)), base);
    EXPECT_TRUE(FolderExists(base + "Public\\Spellcheck\\"));
    EXPECT_TRUE(FolderExists(base + "Hidden\\"));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Made Dir: " + base,
                              "Made Dir: " + base + "Public\\",
                              "Made Dir: " + base + "Public\\Spellcheck\\",
                              "Made Dir: " + base + "Hidden\\",
                          }));
}

TEST_F(DataFolders, SuppressedLogRecordsNoFolders) {
    SuppressLog();
    EXPECT_FALSE(
        DataFolder(TDataFolderKind::Spellcheck, {"C:\\Q", false, TInstallScope::ForEveryone})
            .empty());
    ResumeLog();
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(DataFolders, PortableInstallationKeepsEverythingInTheDestination) {
    const std::string area = FreshFolder("portable-folders");
    TWineDrive stick(area, DRIVE_REMOVABLE);
    ASSERT_TRUE(stick.Defined());
    const std::string dest = stick.Root() + "Quorvale";
    EXPECT_EQ(DataFolder(TDataFolderKind::Base, ForEveryone(dest)), dest + "\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Hidden, ForEveryone(dest)), dest + "\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Public,
                         {dest + "/", IsPortable(dest), TInstallScope::ForEveryone}),
              dest + "\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Spellcheck, ForEveryone(dest)), dest + "\\Spellcheck\\");
    EXPECT_TRUE(FolderExists(area + "Quorvale\\Spellcheck\\"));
    EXPECT_FALSE(Exists(JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale")));
}

TEST_F(DataFolders, AnInstallationForTheUserAloneKeepsItsDataInTheUsersOwnFolder) {
    const std::string base = JoinPath(SpecialFolder(CSIDL_APPDATA), "Quorvale\\");
    EXPECT_EQ(DataFolder(TDataFolderKind::Spellcheck, {"C:\\Q", false, TInstallScope::ForMe}),
              base + "Public\\Spellcheck\\");
    EXPECT_FALSE(Exists(JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale")));
    DeleteFolderTree(base);
}

namespace {
// Wine can make neither links nor another owner: the checks play them for
// the one item named here.
std::string PlayedForeign; // beside enginetest::PlayedLink
const TDataFolderChecks kPlayed = {
    [](const std::string& path) { return !SameName(path, PlayedForeign); },
    [](const std::string& path, uint32_t, uint32_t) { return SameName(path, PlayedLink); }};

void OpenToEveryone(const std::string& path) {
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
    ASSERT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, open));
    LocalFree(open);
}

std::string SecuredWithLog(const TDataFolderChecks& checks, std::string& log) {
    const std::string path = FreshFolder("planted") + "setup.log";
    EXPECT_FALSE(OpenDiagnosticLog(path).empty());
    const std::string refusal = SecureMachineDataFolder(checks);
    CloseDiagnosticLog();
    log = ReadFileBytes(path);
    return refusal;
}
} // namespace

TEST_F(DataFolders, AMachineWideFolderNotTheAdministratorsAloneIsMovedAsideWithItsFiles) {
    const std::string base = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale");
    const std::string outside = FreshFolder("outside") + "elsewhere.dic";
    struct TCase {
        const char* What;
        std::function<void()> Plant;
        std::string Why, Aside;
    };
    const TCase cases[] = {
        {"an earlier version's, which users may add to", [&] { OpenToEveryone(base); },
         "an item that users may change at " + base, base + ".1"},
        {"a link below", [&] { PlayedLink = base + "\\Public"; }, "a link at " + base + "\\Public",
         base + ".1"},
        {"someone else's file, the first free name taken",
         [&] {
             PlayedForeign = base + "\\Public\\Basic.asn";
             MakeFolder(base + ".1\\");
         },
         "an item of someone who is no administrator at " + base + "\\Public\\Basic.asn",
         base + ".2"},
        {"a hard link to a file elsewhere",
         [&] {
             ASSERT_TRUE(
                 CreateHardLinkA((base + "\\Public\\user.dic").c_str(), outside.c_str(), nullptr));
         },
         "a file with other names at " + base + "\\Public\\user.dic", base + ".1"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        PlayedLink.clear();
        PlayedForeign.clear();
        for (const char* n : {"", ".1", ".2"})
            DeleteFolderTree(base + n);
        WriteFileBytes(outside, "elsewhere");
        // Made anew, then kept as it is: the administrators' alone.
        ASSERT_EQ(SecureMachineDataFolder(kPlayed), "");
        MakeFolder(base + "\\Public\\");
        WriteFileBytes(base + "\\Public\\Basic.asn", "the user's");
        std::string log;
        ASSERT_EQ(SecuredWithLog(kPlayed, log), "");
        EXPECT_EQ(log.find("Data folder:"), std::string::npos) << log;

        c.Plant();
        EXPECT_EQ(SecuredWithLog(kPlayed, log), "");
        EXPECT_NE(
            log.find("Data folder: " + base + " holds " + c.Why + ": moved aside to " + c.Aside),
            std::string::npos)
            << log;
        // Nothing in it was touched, and the new one is empty and closed
        // to users.
        EXPECT_EQ(ReadFileBytes(c.Aside + "\\Public\\Basic.asn"), "the user's");
        EXPECT_EQ(ReadFileBytes(outside), "elsewhere");
        EXPECT_FALSE(UsersMayWrite(outside));
        EXPECT_TRUE(FolderExists(base));
        EXPECT_FALSE(Exists(base + "\\Public"));
        EXPECT_FALSE(UsersMayWrite(base));
    }
    for (const char* n : {".1", ".2"})
        DeleteFolderTree(base + n);
}

TEST_F(DataFolders, AMachineWideFolderThatIsNotAsItWasMadeEndsTheInstallation) {
    const std::string base = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA), "Quorvale");
    PlayedLink.clear();
    PlayedForeign = base; // the system gave it another owner
    std::string log;
    const std::string refusal = SecuredWithLog(kPlayed, log);
    EXPECT_EQ(refusal, base + " is not as it was made");
    EXPECT_NE(log.find("Data folder: " + refusal + "; nothing is installed"), std::string::npos)
        << log;
    PlayedForeign.clear();
}

// A junction or a symbolic link stands for another name; the reparse
// points of compressed, deduplicated or cloud files hold the file's own
// data and are ordinary files.
TEST(OpenItems, OnlyAReparsePointThatStandsForAnotherNameIsALink) {
    constexpr uint32_t kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
    const struct {
        uint32_t Attributes, Tag;
        bool Link;
    } cases[] = {
        {kReparse, 0xA0000003, true},  // junction
        {kReparse, 0xA000000C, true},  // symbolic link
        {kReparse, ~0u, true},         // a tag that could not be read
        {kReparse, 0x80000013, false}, // deduplicated
        {kReparse, 0x80000017, false}, // compressed by the system
        {kReparse, 0x9000001A, false}, // a cloud file
        {FILE_ATTRIBUTE_DIRECTORY, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasReparsePoint("x", c.Attributes, c.Tag), c.Link) << std::hex << c.Tag;
}

TEST(FolderProtection, AFolderMadeForEveryoneLetsOnlyAdministratorsChangeIt) {
    // What the program hands the system: administrators and SYSTEM in full
    // control, users reading and running, nothing from the folder above.
    TProtection protection(TProtectionKind::ForEveryone);
    ASSERT_TRUE(protection.Attributes());
    char* text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        protection.Attributes()->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
        &text, nullptr));
    EXPECT_STREQ(text, "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)");
    LocalFree(text);

    // Read back from the folder made with it, and from one everyone may
    // change. Wine keeps of an access list only what the file's mode can
    // say, so this shows that users lost the right to write, not the list.
    const std::string root = FreshFolder("protection");
    MakeFolder(root + "Apps\\Quorvale\\", protection.Attributes());
    EXPECT_TRUE(FolderExists(root + "Apps\\Quorvale"));
    EXPECT_FALSE(UsersMayWrite(root + "Apps"));
    EXPECT_FALSE(UsersMayWrite(root + "Apps\\Quorvale"));
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "Open").c_str(), nullptr));
    ASSERT_TRUE(SetFileSecurityA((root + "Open").c_str(), DACL_SECURITY_INFORMATION, open));
    LocalFree(open);
    EXPECT_TRUE(UsersMayWrite(root + "Open"));
}
