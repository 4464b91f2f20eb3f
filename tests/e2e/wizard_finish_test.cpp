// After the copy: the common data file, the command that hands the chosen
// document types to the installed word processor, the shortcuts of both
// scopes, the launch, the uninstall entry, and a portable installation
// that has none of it but the data file and the launch.
#include "shell_link_reader.h"
#include "wine_drive.h"
#include "wizard_person.h"

#include <cmath>
#include <cstring>

using namespace wizard;

namespace {
constexpr char kInstallToAll[] = "Install for &anyone who uses this computer";
constexpr char kDesktop[] = "Create a &Desktop shortcut";
constexpr char kLaunch[] = "&Launch Quorvale Word Processor";
constexpr char kDescription[] =
    "Compact, fast-loading, but still powerful and efficient word processor.";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

::testing::AssertionResult IsLinkTo(const std::string& path, const std::string& dest) {
    const e2e::TShellLink link = e2e::ReadShellLink(path);
    if (!link.Loaded) return ::testing::AssertionFailure() << path << " is no link";
    if (link.Path != JoinPath(dest, "kel.exe") || link.WorkingFolder != dest ||
        link.Description != kDescription)
        return ::testing::AssertionFailure() << path << " leads to " << link.Path << " in "
                                             << link.WorkingFolder << ": " << link.Description;
    return ::testing::AssertionSuccess();
}

void PutDummy(const std::string& path) {
    MakeFolders(path.substr(0, path.find_last_of('\\')));
    ASSERT_TRUE(WriteFile(path, "an earlier link"));
}

// Size of a folder tree in KB as the system would count it: each file in
// whole clusters, then in whole KB.
long FolderKB(const std::string& folder, DWORD cluster) {
    long kb = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            kb += FolderKB(JoinPath(folder, name), cluster);
        else
            kb += long((found.nFileSizeLow + cluster - 1) / cluster * cluster / 1024);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return kb;
}

// "kel_common.dat" of a non-portable installation.
std::string CommonDataPath() {
    return JoinPath(JoinPath(Environment("ProgramData"), "Quorvale"), "kel_common.dat");
}

double LocalDayNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DayCount(now);
}

// The record written between `before` and `after` (day counts).
::testing::AssertionResult IsCommonData(const std::string& path, double before, double after) {
    std::string data;
    if (!ReadFile(path, data)) return ::testing::AssertionFailure() << path << " is missing";
    if (data.size() != 16)
        return ::testing::AssertionFailure() << path << " has " << data.size() << " bytes";
    if (data.substr(0, 8) != std::string("\x01\0\0\0\x08\0\0\0", 8))
        return ::testing::AssertionFailure() << path << " does not start with 1 and 8";
    double day;
    std::memcpy(&day, data.data() + 8, 8);
    const double second = 1.0 / 86400;
    if (!(day >= before - second && day <= after + second))
        return ::testing::AssertionFailure()
               << path << " holds day " << day << ", not between " << before << " and " << after;
    return ::testing::AssertionSuccess();
}
} // namespace

TEST(WizardFinish, TheChosenDocumentTypesGoToTheInstalledProgramAndFinishLaunchesIt) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    const std::string kel = JoinPath(dest, "kel.exe");
    DeleteFileA(CommonDataPath().c_str());
    TPerson person(SetupExe(), TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kAssocTitle));
    // RTF and DOC instead of COD.
    ASSERT_TRUE(person.Press("RTF Documents"));
    ASSERT_TRUE(person.Press("Encrypted COD Documents"));
    ASSERT_TRUE(person.Press("MS Word DOC Documents"));
    const double before = LocalDayNow();
    ASSERT_TRUE(person.NextTo(kFinishTitle));
    const double after = LocalDayNow();
    EXPECT_TRUE(IsCommonData(CommonDataPath(), before, after));
    EXPECT_EQ(StartsLog(1), std::vector<std::string>{Quoted(kel) + " -assoc adpr_rtf_doc"});

    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(StartsLog(2),
              (std::vector<std::string>{Quoted(kel) + " -assoc adpr_rtf_doc", Quoted(kel)}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS").Text(), "AC");
}

TEST(WizardFinish, NoDocumentTypeStillSendsTheCommandAndAnUntickedLaunchStartsNothing) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kAssocTitle));
    ASSERT_TRUE(person.Press("Encrypted COD Documents"));
    ASSERT_TRUE(person.NextTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kLaunch));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    // The command was started before the Finish page showed; a launch would
    // have been started before the setup program ended.
    EXPECT_EQ(StartsLog(2, 3000),
              std::vector<std::string>{Quoted(JoinPath(dest, "kel.exe")) + " -assoc adpr"});
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS").Text(), "");
}

TEST(WizardFinish, LinksForAnyoneReplaceTheCurrentUsersLinksOfAnEarlierRun) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    PutDummy(LinkPath(false, false));
    PutDummy(LinkPath(true, false));
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        // Made on the way to the Finish page.
        EXPECT_TRUE(IsLinkTo(LinkPath(false, true), dest));
        EXPECT_TRUE(IsLinkTo(LinkPath(true, true), dest));
        EXPECT_FALSE(FileExists(LinkPath(false, false)));
        EXPECT_FALSE(FileExists(LinkPath(true, false)));
        ASSERT_TRUE(person.Press(kLaunch));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    // Both links are recorded like copied files, after the copies.
    const std::vector<std::string> log = Lines(ReadFile(JoinPath(dest, "Install.log")));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "File Copy: " + LinkPath(false, true));
    EXPECT_EQ(log.back(), "File Copy: " + LinkPath(true, true));
}

TEST(WizardFinish, LinksForTheCurrentUserWithoutDesktopLeaveAChosenScopesDesktopLinkAlone) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    PutDummy(LinkPath(false, true));
    PutDummy(LinkPath(true, true));
    PutDummy(LinkPath(true, false));
    TPerson person(SetupExe(), TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    ASSERT_TRUE(person.Press(kInstallToAll));
    ASSERT_TRUE(person.Press(kDesktop));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    EXPECT_TRUE(IsLinkTo(LinkPath(false, false), dest));
    EXPECT_FALSE(FileExists(LinkPath(false, true)));
    EXPECT_FALSE(FileExists(LinkPath(true, true)));
    EXPECT_EQ(ReadFile(LinkPath(true, false)), "an earlier link");
    ASSERT_TRUE(person.Press(kLaunch));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "INSTALLTOALL").Number(), 0u);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "DSKSHORTCUT").Number(), 0u);
}

TEST(WizardFinish, TheUninstallEntryNamesTheInstalledProgramAndTheFolderSize) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    // A file of an earlier installation counts too.
    MakeFolders(dest);
    ASSERT_TRUE(WriteFile(JoinPath(dest, "old.dat"), std::string(10000, 'o')));
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kLaunch));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    const std::string kel = JoinPath(dest, "kel.exe");
    EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey),
              (std::vector<std::string>{"DisplayIcon", "DisplayName", "DisplayVersion",
                                        "EstimatedSize", "Publisher", "UninstallString"}));
    auto value = [](const char* name) {
        return ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, name);
    };
    EXPECT_EQ(value("DisplayIcon").Text(), kel);
    EXPECT_EQ(value("DisplayName").Text(), "Quorvale Word Processor");
    EXPECT_EQ(value("DisplayVersion").Text(), "3.3.3.1");
    EXPECT_EQ(value("Publisher").Text(), "The Quorvale Word Processor Team");
    EXPECT_EQ(value("UninstallString").Text(), Quoted(kel) + " -ui");
    EXPECT_EQ(value("EstimatedSize").Type, DWORD(REG_DWORD));
    DWORD sectors, bytes, free, total;
    ASSERT_TRUE(GetDiskFreeSpaceA(dest.substr(0, 3).c_str(), &sectors, &bytes, &free, &total));
    const DWORD cluster = sectors * bytes;
    // "Install.log" is written after the entry.
    std::string log;
    ASSERT_TRUE(ReadFile(JoinPath(dest, "Install.log"), log));
    const long expected =
        FolderKB(dest, cluster) - long((log.size() + cluster - 1) / cluster * cluster / 1024);
    EXPECT_EQ(long(value("EstimatedSize").Number()), expected);
    EXPECT_GT(expected, 0);
}

TEST(WizardFinish, APortableInstallationWritesOnlyTheDataFileAndCanStillLaunch) {
    const std::string stick = JoinPath(ScratchDir(), "stick");
    MakeFolders(stick);
    TWineDrive drive(stick, DRIVE_REMOVABLE);
    ASSERT_TRUE(drive.Defined());
    const std::string dest = drive.Root() + "Quorvale";
    // An entry of an earlier installation elsewhere stays as it is.
    WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon", "C:\\Earlier\\kel.exe");
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kStartTitle));
        EXPECT_FALSE(person.Shown(kInstallToAll));
        ASSERT_TRUE(person.Press(kNext));
        // No associations page.
        ASSERT_TRUE(person.WaitPage(kFinishTitle, 120000));
        const std::string data = JoinPath(dest, "kel_common.dat");
        EXPECT_TRUE(IsCommonData(data, LocalDayNow() - 1.0 / 24, LocalDayNow()));
        EXPECT_EQ(StartsLog(0), std::vector<std::string>{});
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
        EXPECT_EQ(StartsLog(1), std::vector<std::string>{Quoted(JoinPath(dest, "kel.exe"))});
        CloseStandIns(); // it runs from the drive that goes
    }
    for (bool desktop : {false, true})
        for (bool common : {false, true})
            EXPECT_FALSE(FileExists(LinkPath(desktop, common)));
    EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey),
              std::vector<std::string>{"DisplayIcon"});
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon").Text(),
              "C:\\Earlier\\kel.exe");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "MAINDIR").Text(), dest);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS").Text(), "B");
    EXPECT_FALSE(FileExists(JoinPath(stick, "Quorvale\\Install.log")));
}

TEST(WizardFinish, AnUpdateLogThatCannotBeWrittenIsLoggedAndTheWizardStillEnds) {
    const std::string scratch = ScratchDir();
    const std::string dest = JoinPath(scratch, "Quorvale");
    const std::string updateLog =
        JoinPath(JoinPath(Environment("ProgramData"), "Quorvale"), "Update.log");
    DeleteFileA(updateLog.c_str());
    // A folder where the file belongs.
    ASSERT_TRUE(MakeFolders(updateLog));
    const std::string diagnostics = JoinPath(scratch, "setup.log");
    Launch launch = TPerson::Into(dest);
    launch.args.push_back("/LOG=" + diagnostics);
    TPerson person(SetupExe(), launch);
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kLaunch));
    // Every file is in place: nothing keeps the user on the page.
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_NE(ReadFile(diagnostics).find("File: " + updateLog + " FAILED: Cannot create file"),
              std::string::npos);
    RemoveDirectoryA(updateLog.c_str());
}
