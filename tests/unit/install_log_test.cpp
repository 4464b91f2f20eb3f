#include "payload/install_log.h"

#include "engine_test_support.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {
class Log : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("log");
    }
    void TearDown() override { ResetEngineState(); }
    std::string Root;
};
} // namespace

TEST_F(Log, NothingIsRecordedBeforeTheLogExists) {
    AddLogLine("File Copy: C:\\a");
    EXPECT_EQ(InstallLog, nullptr);
}

TEST_F(Log, EqualLinesInAnyLetterCaseAreKeptOnceInFirstOrder) {
    StartInstallLog("");
    AddLogLine("File Copy: C:\\Prog\\\xE4.txt");
    AddLogLine("Made Dir: C:\\Prog\\");
    AddLogLine("file copy: c:\\PROG\\\xC4.TXT");
    AddLogLine("File Copy: C:\\Prog\\b.txt");
    AddLogLine("MADE DIR: C:\\PROG\\");
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"File Copy: C:\\Prog\\\xE4.txt", "Made Dir: C:\\Prog\\",
                                        "File Copy: C:\\Prog\\b.txt"}));
}

TEST_F(Log, NestedSuppressionNeedsAsManyResumes) {
    StartInstallLog("");
    SuppressLog();
    SuppressLog();
    AddLogLine("one");
    ResumeLog();
    AddLogLine("two");
    ResumeLog();
    AddLogLine("three");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"three"});
    EXPECT_EQ(LogSuppression, 0);
}

TEST_F(Log, AnEarlierLogIsContinuedWhateverItsLineEnds) {
    const std::string path = Root + "Install.log";
    WriteFileBytes(path, "Made Dir: C:\\A\\\r\nFile Copy: C:\\A\\x\rFile Copy: C:\\A\\y\nlast");
    StartInstallLog(path);
    AddLogLine("file copy: c:\\a\\X");
    AddLogLine("File Copy: C:\\A\\z");
    SaveInstallLog();
    EXPECT_EQ(ReadFileBytes(path),
              "Made Dir: C:\\A\\\r\nFile Copy: C:\\A\\x\r\nFile Copy: C:\\A\\y\r\n"
              "last\r\nFile Copy: C:\\A\\z\r\n");
}

TEST_F(Log, ASecondIdenticalRunLeavesTheFileUnchanged) {
    const std::string path = Root + "Install.log";
    StartInstallLog(path);
    AddLogLine("Made Dir: C:\\A\\");
    AddLogLine("File Copy: C:\\A\\x");
    SaveInstallLog();
    const std::string first = ReadFileBytes(path);

    StartInstallLog(path);
    AddLogLine("Made Dir: C:\\A\\");
    AddLogLine("File Copy: C:\\A\\X");
    SaveInstallLog();
    EXPECT_EQ(ReadFileBytes(path), first);
}

TEST_F(Log, AnUnreadableEarlierLogIsIgnored) {
    const std::string path = Root + "Install.log";
    WriteFileBytes(path, "old line\r\n");
    {
        TLockedFile locked(path);
        StartInstallLog(path);
    }
    EXPECT_TRUE(LogLines().empty());
    AddLogLine("new line");
    SaveInstallLog();
    EXPECT_EQ(ReadFileBytes(path), "new line\r\n");
}

TEST_F(Log, NoPathNoFile) {
    StartInstallLog("");
    AddLogLine("line");
    SaveInstallLog(); // a portable installation keeps its log in memory only
    EXPECT_EQ(LogLines(), std::vector<std::string>{"line"});
    EXPECT_TRUE(InstallLogPath.empty());
}

TEST_F(Log, AnUnwritableLogIsIgnored) {
    StartInstallLog(Root + "Missing\\Install.log");
    AddLogLine("line");
    SaveInstallLog();
    EXPECT_FALSE(Exists(Root + "Missing\\Install.log"));
}

TEST_F(Log, DuplicateTestFollowsALogReplacedBehindItsBack) {
    StartInstallLog("");
    AddLogLine("a");
    InstallLog->clear();
    AddLogLine("A");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"A"});
    InstallLog = std::make_unique<std::vector<std::string>>(std::vector<std::string>{"b"});
    AddLogLine("B");
    AddLogLine("a");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"b", "a"}));
}
