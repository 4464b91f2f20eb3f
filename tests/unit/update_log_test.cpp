#include "payload/update_log_merge.h"

#include "engine_test_support.h"
#include "base/locale_text.h"
#include "payload/install_log.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {
using Lines = std::vector<std::string>;

Lines Merge(const Lines& old, const Lines& files, const std::string& header = "*NEW") {
    return MergeUpdateLog(old, files, header,
                          [](const std::string& s) { return UpperCaseText(s); });
}

class UpdateLog : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Base = FreshFolder("update") + "Data\\";
    }
    void TearDown() override { ResetEngineState(); }
    std::string Base;
};
} // namespace

TEST(UpdateLogMerge, FilesOfThisRunLeaveTheOlderSection) {
    EXPECT_EQ(Merge({"*OLD", "A", "B"}, {"B", "C"}), (Lines{"*OLD", "A", "*NEW", "B", "C"}));
}

TEST(UpdateLogMerge, AnOlderSectionLeftEmptyLosesItsHeader) {
    EXPECT_EQ(Merge({"*OLD", "B"}, {"B", "C"}), (Lines{"*NEW", "B", "C"}));
    EXPECT_EQ(Merge({"*OLDEST", "A", "*OLD", "B", "*OLDER", "C"}, {"B", "C"}),
              (Lines{"*OLDEST", "A", "*NEW", "B", "C"}));
}

TEST(UpdateLogMerge, LinesCompareWithoutLetterCaseAndMarksCount) {
    EXPECT_EQ(Merge({"*OLD", "c:\\data\\a.dot\t!", "C:\\DATA\\B.DOT"}, {"C:\\Data\\A.dot\t!"}),
              (Lines{"*OLD", "C:\\DATA\\B.DOT", "*NEW", "C:\\Data\\A.dot\t!"}));
    EXPECT_EQ(Merge({"*OLD", "C:\\Data\\A.dot"}, {"C:\\Data\\A.dot\t!"}),
              (Lines{"*OLD", "C:\\Data\\A.dot", "*NEW", "C:\\Data\\A.dot\t!"}));
}

TEST(UpdateLogMerge, EmptyLinesGoAndAFirstLogIsOneSection) {
    EXPECT_EQ(Merge({"", "*OLD", "", "A", ""}, {"B"}), (Lines{"*OLD", "A", "*NEW", "B"}));
    EXPECT_EQ(Merge({}, {"A", "B"}), (Lines{"*NEW", "A", "B"}));
}

TEST(UpdateLogMerge, HeaderIsTheStampsBytesInMemoryOrder) {
    EXPECT_EQ(UpdateLogHeader(1.0), "*000000000000F03F");
    EXPECT_EQ(UpdateLogHeader(-2.0), "*00000000000000C0");
    const double a = Stamp(2024, 2, 3, 10, 20, 30), b = Stamp(2024, 2, 3, 10, 20, 31);
    EXPECT_NE(UpdateLogHeader(a), UpdateLogHeader(b));
    EXPECT_EQ(UpdateLogHeader(a).size(), 17u);
}

TEST_F(UpdateLog, FirstLogHoldsOneHeaderAndTheSortedFiles) {
    CreateDirectoryA(Base.c_str(), nullptr);
    Lines files{"C:\\Q\\b.dot", "C:\\Q\\Clip\\x.png\t!", "C:\\Q\\A.dot"};
    std::string error;
    ASSERT_TRUE(WriteUpdateLog(Base, 1.0, files, error)) << error;
    EXPECT_EQ(files, (Lines{"C:\\Q\\A.dot", "C:\\Q\\b.dot", "C:\\Q\\Clip\\x.png\t!"}));
    EXPECT_EQ(ReadFileBytes(Base + "Update.log"),
              "*000000000000F03F\r\nC:\\Q\\A.dot\r\nC:\\Q\\b.dot\r\nC:\\Q\\Clip\\x.png\t!\r\n");
}

TEST_F(UpdateLog, ASecondRunMergesItsSection) {
    CreateDirectoryA(Base.c_str(), nullptr);
    WriteFileBytes(Base + "Update.log", "*OLD\r\nC:\\Q\\a\r\nC:\\Q\\b\r\n");
    Lines files{"C:\\Q\\c", "C:\\Q\\B"};
    std::string error;
    ASSERT_TRUE(WriteUpdateLog(Base, 1.0, files, error)) << error;
    EXPECT_EQ(ReadFileBytes(Base + "Update.log"),
              "*OLD\r\nC:\\Q\\a\r\n*000000000000F03F\r\nC:\\Q\\B\r\nC:\\Q\\c\r\n");
}

TEST_F(UpdateLog, NoSharedFilesTouchNothingNotEvenTheFolder) {
    Lines files;
    std::string error;
    EXPECT_TRUE(WriteUpdateLog(Base, 1.0, files, error));
    EXPECT_FALSE(Exists(Base));
}

TEST_F(UpdateLog, AnUnreadableLogIsReportedAndKept) {
    CreateDirectoryA(Base.c_str(), nullptr);
    WriteFileBytes(Base + "Update.log", "*OLD\r\nC:\\Q\\a\r\n");
    Lines files{"C:\\Q\\b"};
    std::string error;
    {
        TLockedFile locked(Base + "Update.log");
        EXPECT_FALSE(WriteUpdateLog(Base, 1.0, files, error));
    }
    EXPECT_EQ(error.rfind("Cannot open file \"" + Base + "Update.log\". ", 0), 0u) << error;
    EXPECT_EQ(ReadFileBytes(Base + "Update.log"), "*OLD\r\nC:\\Q\\a\r\n");
}

TEST_F(UpdateLog, AnUnwritableLogIsReported) {
    Lines files{"C:\\Q\\b"};
    std::string error;
    EXPECT_FALSE(WriteUpdateLog(Base, 1.0, files, error)); // its folder does not exist
    EXPECT_EQ(error.rfind("Cannot create file \"" + Base + "Update.log\". ", 0), 0u) << error;
}
