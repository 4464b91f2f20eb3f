// Writing payload entries to disk: folders, bytes, time stamps, log lines,
// and the Abort/Retry/Ignore question when a file cannot be written.
#include "base/path_exists.h"
#include "engine/ask_user.h"
#include "engine_test_support.h"
#include "payload/file_time.h"
#include "payload/install_log.h"
#include "payload/move_over.h"
#include "payload/temp_files.h"
#include "wizard/message_dialog.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace enginetest;

namespace {
// The stand-in for the message dialog while a test answers: what it was
// asked last, and how it answers.
std::function<int(const std::string&)> ScriptedAnswer;
uint8_t AskedKind = 0;
uint16_t AskedButtons = 0;

int AnswerAsScripted(const std::string& text, uint8_t kind, uint16_t buttons) {
    AskedKind = kind;
    AskedButtons = buttons;
    return ScriptedAnswer(text);
}

class Extract : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("extract");
        StartInstallLog("");
        LoadCatalogue(Files,
                      {
                          {"Templates\\Letters\\Formal.dot", "formal", Stamp(2022, 5, 6, 7, 8, 10)},
                          {"Templates\\Letters\\Plain.dot", "plain", Stamp(2022, 5, 6, 7, 8, 12)},
                          {"Empty.dat", "", Stamp(2001, 1, 2, 3, 4, 6)},
                          {"Old.dat", "old", Stamp(1979, 12, 31, 12, 0, 0)},
                          {"Future.dat", "future", Stamp(2100, 1, 1, 12, 0, 0)},
                          {"Twice.txt", "first", Stamp(2010, 1, 1, 0, 0, 0)},
                          {"TWICE.TXT", "second", Stamp(2011, 1, 1, 0, 0, 0)},
                      });
    }
    void TearDown() override { ResetEngineState(); }

    const TAttachedFile* Entry(const std::string& name) {
        for (const auto& f : Files.Files())
            if (f.Name == name) return &f;
        return nullptr;
    }

    // Extracts with the install thread's asker, on this (main) thread,
    // where the question goes to the main-thread asker: here `answer`,
    // giving the number of the button it would press.
    bool ExtractAnswering(const TAttachedFile* entry, const std::string& target,
                          const std::function<int(const std::string&)>& answer) {
        ScriptedAnswer = answer;
        RecordMainThread(AnswerAsScripted);
        const bool result = Files.ExtractEntry(entry, std::string(), target, AskAboutWriteFailure);
        RecordMainThread(MessageDialog);
        return result;
    }

    // For writes that must succeed: a question fails the test.
    static TWriteFailureAnswer NoQuestion(const std::string& text) {
        ADD_FAILURE() << "unexpected question: " << text;
        return TWriteFailureAnswer::Abort;
    }

    TAttachedFiles Files;
    std::string Root;
};

std::string ExpectedQuestion(const std::string& target) {
    return "Cannot create file \"" + target +
           "\".\rAnother application might already be using this file.\r\r"
           "Please make sure that the setup of Quorvale Word Processor is not blocked by your "
           "security software (firewall/antivirus) in any way.\rYou might want to temporarily "
           "disable your security software and try again.";
}
} // namespace

TEST_F(Extract, TwoLevelFolderIsMadeOutermostFirstThenTheFileIsLogged) {
    const std::string dest = Root + "New\\";
    const std::string target = dest + "Templates\\Letters\\Formal.dot";
    ASSERT_TRUE(
        Files.ExtractEntry(Entry("Templates\\Letters\\Formal.dot"), "", target, NoQuestion));
    ASSERT_TRUE(Files.ExtractEntry(Entry("Templates\\Letters\\Plain.dot"), "",
                                   dest + "Templates\\Letters\\Plain.dot", NoQuestion));

    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Made Dir: " + dest,
                              "Made Dir: " + dest + "Templates\\",
                              "Made Dir: " + dest + "Templates\\Letters\\",
                              "File Copy: " + target,
                              "File Copy: " + dest + "Templates\\Letters\\Plain.dot",
                          }));
    EXPECT_EQ(ReadFileBytes(target), "formal");
    EXPECT_EQ(FileDate(target), Stamp(2022, 5, 6, 7, 8, 10));
}

TEST_F(Extract, EmptyEntryGivesAnEmptyFileWithItsStamp) {
    ASSERT_TRUE(Files.ExtractEntry(Entry("Empty.dat"), "", Root + "Empty.dat", NoQuestion));
    EXPECT_TRUE(FileExists(Root + "Empty.dat"));
    EXPECT_EQ(ReadFileBytes(Root + "Empty.dat"), "");
    EXPECT_EQ(FileDate(Root + "Empty.dat"), Stamp(2001, 1, 2, 3, 4, 6));
}

TEST_F(Extract, StampsOutside1980To2099LeaveTheTimeOfWriting) {
    const double before = LocalNow() - 4.0 / 86400; // DOS seconds are even
    ASSERT_TRUE(Files.ExtractEntry(Entry("Old.dat"), "", Root + "Old.dat", NoQuestion));
    ASSERT_TRUE(Files.ExtractEntry(Entry("Future.dat"), "", Root + "Future.dat", NoQuestion));
    EXPECT_EQ(ReadFileBytes(Root + "Old.dat"), "old");
    for (const char* name : {"Old.dat", "Future.dat"}) {
        const double date = FileDate(Root + name);
        EXPECT_GE(date, before) << name;
        EXPECT_LT(date - before, 120.0 / 86400) << name;
    }
}

TEST_F(Extract, ALargeEntryReplacingAFileKeepsItsStampAfterTheLastWrite) {
    // The stamp is set through the handle that wrote the bytes: neither the
    // data still on its way to disk nor closing the file may move it.
    TAttachedFiles big;
    std::string data(8 << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = char(i * 2654435761u >> 24);
    LoadCatalogue(big, {{"Big.dat", data, Stamp(2015, 3, 4, 5, 6, 8)}});
    const std::string target = Root + "Big.dat";
    ASSERT_TRUE(big.ExtractEntry(&big.Files()[0], "", target, NoQuestion)); // a first copy of it
    ASSERT_TRUE(big.ExtractEntry(&big.Files()[0], "", target, NoQuestion)); // replaced
    EXPECT_EQ(ReadFileBytes(target), data);
    EXPECT_EQ(FileDate(target), Stamp(2015, 3, 4, 5, 6, 8));
}

TEST_F(Extract, WithoutAnEntryTheLastOfThatNameIsWritten) {
    ASSERT_TRUE(Files.ExtractEntry(nullptr, "twice.txt", Root + "t.txt", NoQuestion));
    EXPECT_EQ(ReadFileBytes(Root + "t.txt"), "second");
}

TEST_F(Extract, RetryAfterTheOtherProgramClosedTheFileWritesItAndLogsItOnce) {
    const std::string target = Root + "Plain.dot";
    WriteFileBytes(target, "previous");
    TLockedFile locked(target);
    int questions = 0;
    const bool result = ExtractAnswering(Entry("Templates\\Letters\\Plain.dot"), target,
                                         [&](const std::string& message) {
                                             EXPECT_EQ(message, ExpectedQuestion(target));
                                             EXPECT_EQ(AskedKind, mtError);
                                             EXPECT_EQ(AskedButtons, 112);
                                             if (++questions == 2) locked.Release();
                                             return mrRetry;
                                         });
    EXPECT_TRUE(result);
    EXPECT_EQ(questions, 2); // the first retry met the file still open
    EXPECT_EQ(ReadFileBytes(target), "plain");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"File Copy: " + target});
}

TEST_F(Extract, IgnoreLeavesTheOldFileAndLogsNothing) {
    const std::string target = Root + "Plain.dot";
    WriteFileBytes(target, "previous");
    TLockedFile locked(target);
    EXPECT_TRUE(ExtractAnswering(Entry("Templates\\Letters\\Plain.dot"), target,
                                 [](const std::string&) { return mrIgnore; }));
    locked.Release();
    EXPECT_EQ(ReadFileBytes(target), "previous");
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(Extract, AbortGivesFalse) {
    const std::string target = Root + "Plain.dot";
    TLockedFile locked(target);
    EXPECT_FALSE(ExtractAnswering(Entry("Templates\\Letters\\Plain.dot"), target,
                                  [](const std::string&) { return mrAbort; }));
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(Extract, AnyOtherAnswerTriesAgain) {
    const std::string target = Root + "Plain.dot";
    TLockedFile locked(target);
    int questions = 0;
    EXPECT_TRUE(ExtractAnswering(Entry("Templates\\Letters\\Plain.dot"), target,
                                 [&](const std::string&) -> int {
                                     if (++questions < 3) return mrCancel;
                                     locked.Release();
                                     return 0;
                                 }));
    EXPECT_EQ(questions, 3);
    EXPECT_EQ(ReadFileBytes(target), "plain");
}

TEST_F(Extract, ANameWithoutEntryAsksUntilIgnored) {
    int questions = 0;
    EXPECT_TRUE(Files.ExtractEntry(nullptr, "Nowhere.txt", Root + "n.txt", [&](const std::string&) {
        return ++questions < 3 ? TWriteFailureAnswer::Retry : TWriteFailureAnswer::Ignore;
    }));
    EXPECT_EQ(questions, 3);
    EXPECT_FALSE(Exists(Root + "n.txt"));
}

// Where the file system refuses to rename the open file, it is moved by
// name: only while the file at the temporary name is the one written.
TEST_F(Extract, TheMoveByNameTakesOnlyTheFileThatWasWritten) {
    const std::string target = Root + "Plain.dot", temporary = Root + WritePrefix() + "1.tmp";
    WriteFileBytes(target, "previous");
    WriteFileBytes(temporary, "written");
    TFileIdentity written;
    {
        TFileHandle file(CreateFileA(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(IdentifyFile(file.Get(), written));
    }
    // Someone who may rename items in the folder puts another file there.
    ASSERT_TRUE(MoveFileA(temporary.c_str(), (Root + "aside").c_str()));
    WriteFileBytes(temporary, "planted");
    EXPECT_FALSE(MoveWrittenFile(written, temporary, target));
    EXPECT_EQ(ReadFileBytes(target), "previous");

    DeleteFileA(temporary.c_str());
    ASSERT_TRUE(MoveFileA((Root + "aside").c_str(), temporary.c_str()));
    EXPECT_TRUE(MoveWrittenFile(written, temporary, target));
    EXPECT_EQ(ReadFileBytes(target), "written");
    EXPECT_FALSE(Exists(temporary));
}

namespace {
// Presses a button of the message dialog the main thread shows, the way a
// person would: finds the top-level window of this process captioned
// "Error" and clicks its child whose text is the button's caption.
struct TButtonSearch {
    const char* Caption;
    HWND Found;
};

BOOL CALLBACK FindButton(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<TButtonSearch*>(param);
    char text[64] = {};
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpA(text, search->Caption) == 0) {
        search->Found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (process != GetCurrentProcessId() || lstrcmpA(title, "Error") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    EnumChildWindows(window, FindButton, param);
    return reinterpret_cast<TButtonSearch*>(param)->Found == nullptr;
}
} // namespace

TEST_F(Extract, OnTheMainThreadTheQuestionIsShownDirectly) {
    const std::string target = Root + "Plain.dot";
    TLockedFile locked(target);
    std::atomic<bool> pressed{false};
    TWorker person([&] {
        for (int tick = 0; tick < 3000 && !pressed; ++tick) {
            TButtonSearch search{"&Ignore", nullptr};
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
            if (search.Found) {
                PostMessageA(search.Found, BM_CLICK, 0, 0);
                pressed = true;
            }
            Sleep(20);
        }
    });
    EXPECT_TRUE(Files.ExtractEntry(Entry("Templates\\Letters\\Plain.dot"), "", target,
                                   AskAboutWriteFailure));
    person.Join();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(InstallState(), TInstallState::Idle);
    EXPECT_TRUE(InstallStatus.Message.empty());
}
