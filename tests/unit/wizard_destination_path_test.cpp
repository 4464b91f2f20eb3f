// The destination page's path rules: how a typed folder is tidied, and how
// the folder list walks paths up and across drives.
#include "system/destination_rules.h"
#include "wizard/destination_path.h"
#include "wizard/drive_changes.h"

#include <gtest/gtest.h>

namespace {
const std::string kProgramFiles = "C:\\Program Files";

std::string Tidy(const std::string& typed, char drive = 'c') {
    return NormalizedDestination(typed, drive, kProgramFiles);
}

constexpr uint32_t Bit(char letter) {
    return 1u << (letter - 'a');
}
} // namespace

TEST(DestinationText, BlanksAroundAndOneTrailingBackslashGo) {
    EXPECT_EQ(Tidy("  D:\\Tools\\Writer\\  "), "D:\\Tools\\Writer");
    EXPECT_EQ(Tidy("D:\\Tools\\Writer"), "D:\\Tools\\Writer");
    // Only one backslash goes: after a second one the last element is
    // empty, as after a drive root. Only blanks go: a tab is part of the name.
    EXPECT_EQ(Tidy("D:\\Tools\\Writer\\\\"), "D:\\Tools\\Writer\\Quorvale");
    EXPECT_EQ(Tidy("\tD:\\Tools"), "c:\\Quorvale");
    EXPECT_EQ(Tidy("D:\\Tools\t"), "D:\\Tools\t");
    // Blanks inside stay.
    EXPECT_EQ(Tidy(" D:\\My Tools\\Word Processor "), "D:\\My Tools\\Word Processor");
}

TEST(DestinationText, ADriveRootGetsTheProductFolder) {
    EXPECT_EQ(Tidy("d:\\"), "d:\\Quorvale");
    EXPECT_EQ(Tidy("d:"), "d:\\Quorvale");
    EXPECT_EQ(Tidy("  E:\\ "), "E:\\Quorvale");
}

TEST(DestinationText, TheProgramFilesFolderInAnyLetterCaseGetsTheProductFolder) {
    EXPECT_EQ(Tidy("C:\\Program Files"), "C:\\Program Files\\Quorvale");
    EXPECT_EQ(Tidy("c:\\PROGRAM FILES\\"), "c:\\PROGRAM FILES\\Quorvale");
    EXPECT_EQ(Tidy("C:\\Program Files\\Quorvale"), "C:\\Program Files\\Quorvale");
    // Other folders of the same name elsewhere stay as they are.
    EXPECT_EQ(Tidy("D:\\Program Files"), "D:\\Program Files");
    EXPECT_EQ(Tidy("C:\\Program Files (x86)"), "C:\\Program Files (x86)");
    // Without a Program Files folder only the rules of the root apply.
    EXPECT_EQ(NormalizedDestination("C:\\Program Files", 'c', ""), "C:\\Program Files");
}

TEST(DestinationText, TextWithoutADriveBecomesTheCurrentDrivesRoot) {
    EXPECT_EQ(Tidy("Apps\\Writer", 'd'), "d:\\Quorvale");
    EXPECT_EQ(Tidy("\\Apps\\Writer", 'e'), "e:\\Quorvale");
    EXPECT_EQ(Tidy("", 'c'), "c:\\Quorvale");
    EXPECT_EQ(Tidy("   ", 'c'), "c:\\Quorvale");
    EXPECT_EQ(Tidy("1:\\Apps", 'c'), "c:\\Quorvale");
    // A server without a share, or a share without a server, is no drive.
    EXPECT_EQ(Tidy("\\\\server", 'c'), "c:\\Quorvale");
    EXPECT_EQ(Tidy("\\\\server\\", 'c'), "c:\\Quorvale");
    EXPECT_EQ(Tidy("\\\\\\share\\x", 'c'), "c:\\Quorvale");
}

TEST(DestinationText, ADriveWithoutItsRootBecomesThatDrivesRoot) {
    // "d:Games" would lie below drive d's current folder, whatever that is.
    EXPECT_EQ(Tidy("d:Games"), "d:\\Quorvale");
    EXPECT_EQ(Tidy("d:Games\\Writer\\"), "d:\\Quorvale");
}

TEST(DestinationText, NetworkPathsStayAsTyped) {
    EXPECT_EQ(Tidy("\\\\server\\share\\folder"), "\\\\server\\share\\folder");
    EXPECT_EQ(Tidy(" \\\\server\\share\\folder\\ "), "\\\\server\\share\\folder");
    EXPECT_EQ(Tidy("\\\\server\\share"), "\\\\server\\share");
}

// The limits are the system's, in UTF-16 units: "Ł" is two bytes and one unit.
TEST(DestinationRules, LengthsCountWhatTheSystemIsHandedNotBytes) {
    const std::string l = "\xC5\x81";
    const std::string folder = "C:\\" + l + l + l + l + l; // 8 units, 13 bytes
    EXPECT_EQ(DestinationRefusal(folder, 8), "");
    EXPECT_NE(DestinationRefusal(folder, 7), "");
    // The deepest file's write name (42) below a 3-unit folder: 258 - 45.
    EXPECT_EQ(LongestDestination({l + l + "\\" + l}), 213u);
}

TEST(DestinationPaths, ParentKeepsItsBackslash) {
    EXPECT_EQ(ParentPath("c:\\a\\b\\"), "c:\\a\\");
    EXPECT_EQ(ParentPath("c:\\a\\b"), "c:\\a\\");
    EXPECT_EQ(ParentPath("c:\\a"), "c:\\");
    EXPECT_EQ(ParentPath("name"), "");
}

TEST(DestinationPaths, SamePathOnAnotherDrive) {
    EXPECT_EQ(PathOnDrive("c:\\Games\\Old", 'd'), "d:\\Games\\Old");
    EXPECT_EQ(PathOnDrive("c:\\", 'e'), "e:\\");
    EXPECT_EQ(PathOnDrive("nothing", 'e'), "");
}

TEST(DestinationPaths, OpenFoldersRunFromTheRootDown) {
    EXPECT_EQ(FoldersFromRoot("c:\\a\\b\\"),
              (std::vector<std::string>{"c:\\", "c:\\a", "c:\\a\\b"}));
    EXPECT_EQ(FoldersFromRoot("c:\\a\\b"), (std::vector<std::string>{"c:\\", "c:\\a", "c:\\a\\b"}));
    EXPECT_EQ(FoldersFromRoot("c:\\"), (std::vector<std::string>{"c:\\"}));
    EXPECT_EQ(FoldersFromRoot("C:\\Program Files (x86)\\Quorvale"),
              (std::vector<std::string>{"C:\\", "C:\\Program Files (x86)",
                                        "C:\\Program Files (x86)\\Quorvale"}));
}

TEST(DestinationPaths, ShownNames) {
    EXPECT_EQ(ShownFolderName("c:\\", true), "c:");
    EXPECT_EQ(ShownFolderName("c:\\a\\Word Processor", false), "Word Processor");
    EXPECT_EQ(ShownFolderName("c:\\a\\b\\", false), "b");
    EXPECT_EQ(BackslashCount("c:\\a\\b"), 2);
    EXPECT_EQ(BackslashCount("c:"), 0);
}

TEST(DriveChanges, EqualMasksChangeNothing) {
    const uint32_t m = Bit('c') | Bit('d');
    EXPECT_EQ(DriveChange(m, m, m, 'c').Kind, TDriveChangeKind::None);
}

TEST(DriveChanges, ANewDriveIsChosenTheLowestFirst) {
    const uint32_t before = Bit('c') | Bit('z');
    const uint32_t now = before | Bit('r') | Bit('s');
    const TDriveChange change = DriveChange(now, before, now, 'c');
    EXPECT_EQ(change.Kind, TDriveChangeKind::NewDrive);
    EXPECT_EQ(change.Letter, 'r');
}

TEST(DriveChanges, NewDrivesTheListLeavesOutAreNeverChosen) {
    const uint32_t before = Bit('c') | Bit('z');
    // A floppy drive, and a CD-ROM drive that the list does not show.
    const uint32_t now = before | Bit('a') | Bit('r');
    const TDriveChange change = DriveChange(now, before, before, 'c');
    EXPECT_EQ(change.Kind, TDriveChangeKind::KeepDrive);
}

TEST(DriveChanges, TheCurrentDriveGoneLeadsToProgramFiles) {
    const uint32_t before = Bit('c') | Bit('r') | Bit('z');
    const uint32_t now = Bit('c') | Bit('z');
    EXPECT_EQ(DriveChange(now, before, now, 'r').Kind, TDriveChangeKind::ProgramFiles);
    EXPECT_EQ(DriveChange(now, before, now, 'R').Kind, TDriveChangeKind::ProgramFiles);
    // Another drive gone: the current one stays.
    EXPECT_EQ(DriveChange(now, before, now, 'z').Kind, TDriveChangeKind::KeepDrive);
    // Gone while a CD-ROM drive came: more drives by the mask, none to list.
    const uint32_t withCdrom = now | Bit('s');
    EXPECT_EQ(DriveChange(withCdrom, before, now, 'r').Kind, TDriveChangeKind::ProgramFiles);
}
