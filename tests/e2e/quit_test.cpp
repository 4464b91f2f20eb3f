// Quitting at any moment of the copy of a large product (close box, then
// Abort): never a crash, never a hang, and never an exit before the install
// thread has finished the file in hand. Also quitting while the thread's
// own question about a file is on the screen.
#include "wizard_person.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include <commctrl.h>

using namespace wizard;

namespace {
constexpr int kFiles = 160;
constexpr size_t kFileBytes = 48 * 1024;
constexpr int kQuits = 100;

std::string BigName(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "Templates\\Big\\B%03d.kwt", i);
    return name;
}

// Files that compress poorly, so that writing them takes a while.
std::vector<TEntry> LargeProduct() {
    std::vector<TEntry> entries;
    uint32_t seed = 12345;
    for (int i = 0; i < kFiles; ++i) {
        std::string data(kFileBytes, '\0');
        for (char& c : data) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 23);
        }
        entries.push_back({BigName(i), 45000.5 + i / 8.0, data});
    }
    return entries;
}

std::string BigFolder() {
    return JoinPath(PublicFolder(), "Templates\\Big");
}

// The setup program with the large product, made once for the whole run.
class QuitTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        Entries_ = new std::vector<TEntry>(LargeProduct());
        Exe_ = new std::string(SetupWithExtraEntries(ScratchDir("QuitTest"), *Entries_));
    }
    static void TearDownTestSuite() {
        delete Entries_;
        delete Exe_;
        DeleteTree(BigFolder());
    }

    // How far the copy of the large files got: the number of files in
    // place from the first on. Every one of them must be whole and carry
    // its time stamp, and none may follow a gap: the thread never left a
    // file half done and writes them in order.
    int CheckWrittenFiles() {
        int written = 0;
        bool gap = false;
        for (int i = 0; i < kFiles; ++i) {
            const std::string path = JoinPath(PublicFolder(), BigName(i));
            if (!FileExists(path)) {
                gap = true;
                continue;
            }
            EXPECT_FALSE(gap) << path << " follows a file that is missing";
            EXPECT_TRUE(IsInstalled(path, (*Entries_)[size_t(i)]));
            ++written;
        }
        return written;
    }

    static std::vector<TEntry>* Entries_;
    static std::string* Exe_;
};
std::vector<TEntry>* QuitTest::Entries_ = nullptr;
std::string* QuitTest::Exe_ = nullptr;

int ProgressPosition(HWND wizard) {
    HWND bar = FindControlByClass(wizard, PROGRESS_CLASSA);
    DWORD_PTR position = 0;
    if (!bar || !SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position))
        return -1;
    return int(position);
}
} // namespace

TEST_F(QuitTest, QuittingAtAnyMomentOfTheCopyEndsCleanly) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    // One whole installation first, to learn how long the copy takes here.
    DeleteTree(BigFolder());
    DWORD copyTime = 0;
    {
        TPerson person(*Exe_, TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kStartTitle));
        const DWORD start = GetTickCount();
        ASSERT_TRUE(person.Press(kNext));
        ASSERT_TRUE(person.WaitPage(kAssocTitle, 120000));
        copyTime = GetTickCount() - start;
        CloseWizard(person.Setup, person.Wizard);
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    EXPECT_EQ(CheckWrittenFiles(), kFiles);

    // Quits spread from the moment Next is pressed to a little past the end
    // of the copy.
    std::set<int> moments; // files in place when the program ended
    std::set<int> positions;
    for (int q = 0; q < kQuits && !HasFatalFailure(); ++q) {
        SCOPED_TRACE("quit " + std::to_string(q));
        DeleteTree(BigFolder());
        const DWORD delay = DWORD(uint64_t(copyTime) * 11 / 10 * q / kQuits);
        TPerson person(*Exe_, TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kStartTitle));
        PostMessageA(person.Control(kNext), BM_CLICK, 0, 0);
        if (delay) Sleep(delay);
        PostMessageA(person.Wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
        const Message question = person.Question();
        ASSERT_TRUE(question.window) << person.Setup.Describe();
        EXPECT_EQ(question.text, kQuitQuestion);
        positions.insert(ProgressPosition(person.Wizard));
        ASSERT_TRUE(Answer(question, "&Abort"));
        ASSERT_EQ(person.Setup.WaitExit(), 0);
        moments.insert(CheckWrittenFiles());
    }
    std::printf("quits: %d, distinct moments (files in place): %zu, progress positions: %zu\n",
                kQuits, moments.size(), positions.size());
    // The quits did meet the copy at many different points.
    EXPECT_GE(moments.size(), size_t(10));
}

namespace {
// Holds a file open without sharing, as another program might.
class TLockedFile {
  public:
    explicit TLockedFile(const std::string& path) {
        MakeFolders(path.substr(0, path.find_last_of('\\')));
        WriteFile(path, "old");
        Handle_ = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~TLockedFile() {
        if (Handle_ != INVALID_HANDLE_VALUE) CloseHandle(Handle_);
    }
    bool Held() const { return Handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE Handle_;
};
} // namespace

// The thread asks about a file it cannot write, and the user tries to quit
// while that question is open.
class QuitDuringTheFileQuestion : public QuitTest {
  protected:
    // Starts the copy and waits for the question about the locked file.
    Message StartUntilTheFileQuestion(TPerson& person) {
        if (!person.WalkTo(kStartTitle) || !person.Press(kNext)) return {};
        const Message question = person.Question(60000);
        EXPECT_EQ(question.caption, "Error");
        EXPECT_NE(question.text.find(LockedPath()), std::string::npos) << question.text;
        return question;
    }
    void SetUp() override { Destination_ = JoinPath(ScratchDir(), "Quorvale"); }
    const std::string& Destination() const { return Destination_; }
    std::string LockedPath() const { return JoinPath(Destination_, "Hyphenation.dat"); }

    // Nothing after the locked file was written; the files before it are whole.
    void ExpectStoppedAtTheLockedFile() {
        for (int i = 0; i < kFiles; ++i)
            EXPECT_FALSE(FileExists(JoinPath(PublicFolder(), BigName(i)))) << i;
        const std::vector<TEntry> entries = PayloadOf(*Exe_);
        for (const char* name : {"kel.exe", "License.txt"})
            EXPECT_TRUE(IsInstalled(JoinPath(Destination(), name), *FindEntry(entries, name)));
    }

  private:
    std::string Destination_;
};

// The close box of the wizard under the question does nothing; the
// question is answered Abort and the program ends.
TEST_F(QuitDuringTheFileQuestion, TheCloseBoxWaitsForTheAnswerAndAbortEnds) {
    DeleteTree(BigFolder());
    TLockedFile lock(LockedPath());
    ASSERT_TRUE(lock.Held());
    TPerson person(*Exe_, TPerson::Into(Destination()));
    const Message question = StartUntilTheFileQuestion(person);
    ASSERT_TRUE(question.window);
    PostMessageA(person.Wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle(person.Wizard);
    Settle(question.window);
    EXPECT_EQ(person.Setup.Windows().size(), 2u) << person.Setup.Describe();
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    ExpectStoppedAtTheLockedFile();
}

// A close request that reaches the wizard anyway (the taskbar's Close
// window sends it to a disabled window too): the quit question comes over
// the file's question; after Abort the file's question, answered Retry,
// does not keep the program alive.
TEST_F(QuitDuringTheFileQuestion, AQuitConfirmedOverTheQuestionEndsCleanly) {
    DeleteTree(BigFolder());
    TLockedFile lock(LockedPath());
    ASSERT_TRUE(lock.Held());
    TPerson person(*Exe_, TPerson::Into(Destination()));
    const Message question = StartUntilTheFileQuestion(person);
    ASSERT_TRUE(question.window);
    PostMessageA(person.Wizard, WM_CLOSE, 0, 0);
    HWND quitWindow = nullptr;
    for (int i = 0; i < 100 && !quitWindow; ++i) {
        for (HWND w : person.Setup.Windows())
            if (w != question.window && w != person.Wizard) quitWindow = w;
        if (!quitWindow) Sleep(100);
    }
    ASSERT_TRUE(quitWindow) << person.Setup.Describe();
    Settle(quitWindow);
    const Message quit = ReadMessage(quitWindow);
    EXPECT_EQ(quit.text, kQuitQuestion);
    ASSERT_TRUE(Answer(quit, "&Abort"));
    if (IsWindow(question.window) && IsWindowVisible(question.window)) {
        ASSERT_TRUE(Answer(question, "&Retry"));
    }
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    ExpectStoppedAtTheLockedFile();
}
