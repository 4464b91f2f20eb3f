// The install thread and its handshake, with this test standing in for the
// wizard: it is the recorded main thread and polls InstallStatus the way
// the wizard's timer does.
#include "engine/install_thread.h"

#include "engine/install_status.h"
#include "engine_test_support.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "wizard/message_dialog.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {
class InstallThread : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("thread");
        LoadCatalogue(Files, {
                                 {"a.txt", "aaaa", Stamp(2020, 1, 1, 0, 0, 0)},
                                 {"b.txt", "bbbbbbbb", Stamp(2020, 1, 1, 0, 0, 2)},
                                 {"Sub\\c.txt", "cc", Stamp(2020, 1, 1, 0, 0, 4)},
                                 {"d.txt", "d", Stamp(2020, 1, 1, 0, 0, 6)},
                             });
        StartInstallLog("");
    }
    void TearDown() override { ResetEngineState(); }

    // The wizard's start of the installation: the run begun, then the thread.
    void Start(TInstallThread& thread) {
        BeginInstallRun();
        thread.Start();
    }
    // Progress once the thread is held at a check point.
    int32_t ProgressWhenParked(TInstallThread& thread, int32_t expected) {
        for (int tick = 0; tick < 3000 && InstallStatus.Progress.load() != expected; ++tick)
            Sleep(10);
        // Had it not parked, it would go on to the next copy within this time.
        EXPECT_EQ(WaitForSingleObject(thread.Handle(), 300), DWORD(WAIT_TIMEOUT));
        return InstallStatus.Progress.load();
    }

    TAttachedFiles Files;
    std::string Root;
};
} // namespace

TEST_F(InstallThread, EmptyPlanEndsAtOnceWithTheLastComponent) {
    TInstallThread thread(Files);
    Start(thread);
    thread.WaitFor();
    EXPECT_EQ(InstallState(), TInstallState::Done);
    EXPECT_EQ(InstallStatus.Component.load(), 5);
    EXPECT_EQ(InstallStatus.Progress.load(), 0);
}

TEST_F(InstallThread, WritesEveryListInComponentOrderAndCountsEveryByte) {
    Files.PlanFiles("d.txt", Root, 4, AlwaysReplace);
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    SuppressLog();
    Files.PlanFiles("Sub\\c.txt", Root + "Quiet", 2, AlwaysReplace);
    ResumeLog();
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    Files.PlanFileTo("a.txt", Root + "a copy.txt", 2, AlwaysReplace);
    TInstallThread thread(Files);
    Start(thread);
    EXPECT_EQ(PlayWizard([](const std::string&) { return mrAbort; }), TInstallState::Done);
    thread.WaitFor();

    EXPECT_EQ(InstallStatus.Progress.load(), Files.TotalInstallSize());
    EXPECT_EQ(Files.TotalInstallSize(), 8 + 4 + 2 + 4 + 1);
    EXPECT_EQ(InstallState(), TInstallState::Idle);
    EXPECT_EQ(LogSuppression, 0);
    // Unlogged copies leave neither folder nor file lines.
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "File Copy: " + Root + "b.txt",
                              "File Copy: " + Root + "a.txt",
                              "File Copy: " + Root + "a copy.txt",
                              "File Copy: " + Root + "d.txt",
                          }));
    EXPECT_EQ(ReadFileBytes(Root + "Quiet\\Sub\\c.txt"), "cc");
    EXPECT_EQ(FileDate(Root + "Quiet\\Sub\\c.txt"), Stamp(2020, 1, 1, 0, 0, 4));
}

TEST_F(InstallThread, RetryUntilWrittenIsLoggedAndCountedOnce) {
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("b.txt", Root, 1, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    int questions = 0;
    EXPECT_EQ(PlayWizard([&](const std::string& message) {
                  EXPECT_EQ(message.rfind("Cannot create file \"" + Root + "b.txt\".\r", 0), 0u);
                  EXPECT_EQ(InstallStatus.Progress.load(), 4); // a.txt only
                  if (++questions == 3) locked.Release();
                  return mrRetry;
              }),
              TInstallState::Done);
    EXPECT_EQ(questions, 3);
    EXPECT_EQ(InstallStatus.Progress.load(), 12);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"File Copy: " + Root + "a.txt",
                                                    "File Copy: " + Root + "b.txt"}));
}

TEST_F(InstallThread, IgnoreGoesOnAndCountsTheCopyWithoutLoggingIt) {
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    EXPECT_EQ(PlayWizard([](const std::string&) { return mrIgnore; }), TInstallState::Done);
    EXPECT_EQ(InstallStatus.Progress.load(), 12);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"File Copy: " + Root + "a.txt"});
}

TEST_F(InstallThread, AbortFailsAtOnceAndKeepsWhatWasWritten) {
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    SuppressLog();
    Files.PlanFiles("b.txt", Root, 1, AlwaysReplace);
    ResumeLog();
    Files.PlanFiles("d.txt", Root, 3, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    EXPECT_EQ(PlayWizard([](const std::string&) { return mrAbort; }), TInstallState::Failed);
    thread.WaitFor();
    EXPECT_EQ(InstallState(), TInstallState::Failed);
    EXPECT_EQ(InstallStatus.Component.load(), 1);
    EXPECT_EQ(ReadFileBytes(Root + "a.txt"), "aaaa");
    EXPECT_FALSE(Exists(Root + "d.txt"));
    EXPECT_EQ(LogSuppression, 0);
}

TEST_F(InstallThread, HeldThreadWaitsAtItsCheckPointAndGoesOnWhenReleased) {
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    TInstallThread thread(Files);
    BeginInstallRun();
    ASSERT_TRUE(HoldInstallRun()); // the quit question is open
    thread.Start();
    EXPECT_EQ(ProgressWhenParked(thread, 4), 4);
    EXPECT_FALSE(Exists(Root + "b.txt"));
    EXPECT_TRUE(ReleaseInstallRun()); // the user goes on
    EXPECT_EQ(PlayWizard([](const std::string&) { return mrAbort; }), TInstallState::Done);
    EXPECT_EQ(ReadFileBytes(Root + "b.txt"), "bbbbbbbb");
}

TEST_F(InstallThread, QuitStopsAfterTheCopyInHand) {
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("d.txt", Root, 1, AlwaysReplace);
    TInstallThread thread(Files);
    BeginInstallRun();
    HoldInstallRun();
    thread.Start();
    ProgressWhenParked(thread, 4);
    QuitInstallRun(); // the user quits
    thread.WaitFor();
    EXPECT_EQ(InstallState(), TInstallState::Done);
    EXPECT_TRUE(Exists(Root + "a.txt"));
    EXPECT_FALSE(Exists(Root + "b.txt"));
    EXPECT_FALSE(Exists(Root + "d.txt"));
}

TEST_F(InstallThread, QuitConfirmedWhileItsQuestionIsOnScreenStillStopsIt) {
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("a.txt", Root, 1, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    ASSERT_TRUE(WaitForState(TInstallState::Question));
    ASSERT_TRUE(TakeQuestion()); // the question is shown
    // Over it, the user closes the wizard and confirms the quit: the state
    // is held, so it becomes Done.
    QuitInstallRun();
    locked.Release();
    // Then the question is answered, with Retry.
    AnswerQuestion(mrRetry);
    thread.WaitFor();
    EXPECT_FALSE(Exists(Root + "a.txt"));
    EXPECT_NE(InstallState(), TInstallState::Running);
}

TEST_F(InstallThread, QuitBeforeTheQuestionIsTakenWithdrawsIt) {
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    ASSERT_TRUE(WaitForState(TInstallState::Question));
    QuitInstallRun();
    thread.WaitFor();
    EXPECT_EQ(InstallState(), TInstallState::Done);
    EXPECT_FALSE(Exists(Root + "a.txt"));
    EXPECT_EQ(InstallStatus.Progress.load(), 8); // the given-up copy counts as done
}

TEST_F(InstallThread, AQuestionReleasedWithoutAnAnswerIsAskedAgain) {
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    ASSERT_TRUE(WaitForState(TInstallState::Question));
    ASSERT_TRUE(TakeQuestion());      // taken, as a hold would take it ...
    ASSERT_TRUE(ReleaseInstallRun()); // ... and released without an answer
    locked.Release();
    EXPECT_EQ(PlayWizard([](const std::string&) { return mrRetry; }), TInstallState::Done);
    EXPECT_EQ(ReadFileBytes(Root + "b.txt"), "bbbbbbbb");
}

TEST_F(InstallThread, EndOfTheObjectStopsAHeldThreadAndWaitsForIt) {
    Files.PlanFiles("a.txt", Root, 0, AlwaysReplace);
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    HANDLE handle = nullptr;
    {
        TInstallThread thread(Files);
        BeginInstallRun();
        HoldInstallRun();
        thread.Start();
        ProgressWhenParked(thread, 4);
        DuplicateHandle(GetCurrentProcess(), thread.Handle(), GetCurrentProcess(), &handle, 0,
                        FALSE, DUPLICATE_SAME_ACCESS);
    }
    EXPECT_EQ(WaitForSingleObject(handle, 0), DWORD(WAIT_OBJECT_0));
    CloseHandle(handle);
    EXPECT_FALSE(Exists(Root + "b.txt"));
}

TEST_F(InstallThread, OpenQuestionUsesNoProcessorTime) {
    Files.PlanFiles("b.txt", Root, 0, AlwaysReplace);
    TLockedFile locked(Root + "b.txt");
    TInstallThread thread(Files);
    Start(thread);
    ASSERT_TRUE(WaitForState(TInstallState::Question));
    ASSERT_TRUE(TakeQuestion());
    auto busy = [&] {
        FILETIME created, ended, kernel, user;
        EXPECT_TRUE(GetThreadTimes(thread.Handle(), &created, &ended, &kernel, &user));
        auto ticks = [](const FILETIME& t) {
            return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime);
        };
        return ticks(kernel) + ticks(user); // 100 ns units
    };
    const uint64_t before = busy();
    Sleep(1000);
    const uint64_t spent = busy() - before;
    // A sanity bound, not a timing goal: a spinning wait would use the whole second.
    EXPECT_LT(spent, 500000u) << spent / 10000 << " ms";
    locked.Release();
    AnswerQuestion(mrRetry);
    EXPECT_EQ(PlayWizard([](const std::string&) { return mrAbort; }), TInstallState::Done);
}
