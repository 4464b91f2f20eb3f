// Faults while the files are written, end to end: a read-only target, a
// folder where a file must go, a drive that fills up in the middle of a
// file, a run killed while it writes. (A target held open by another
// program is in wizard_install_test.) Each asks the question about the
// file, ends as the user chose, leaves the earlier version of a file that
// was not written as it was, leaves "Install.log" in step with what is on
// disk, and the program exits with code 0.
#include "wine_drive.h"
#include "wizard_person.h"

#include <algorithm>

using namespace wizard;

namespace {
std::string CannotCreate(const std::string& path) {
    return "Cannot create file \"" + path +
           "\".\rAnother application might already be using this file.\r\rPlease make sure that "
           "the setup of Quorvale Word Processor is not blocked by your security software "
           "(firewall/antivirus) in any way.\rYou might want to temporarily disable your "
           "security software and try again.";
}

std::vector<std::string> FileCopyLines(const std::string& dest) {
    std::string log;
    std::vector<std::string> copied;
    if (!ReadFile(JoinPath(dest, "Install.log"), log)) return copied;
    for (const auto& line : Lines(log))
        if (line.compare(0, 11, "File Copy: ") == 0) copied.push_back(line.substr(11));
    return copied;
}

bool Logged(const std::string& dest, const std::string& target) {
    const auto copied = FileCopyLines(dest);
    return std::count(copied.begin(), copied.end(), target) == 1;
}

// A product of the test's own: the faulty file lies in the destination
// folder, between the two files before it and the sound scheme after it.
std::vector<TEntry> Product(size_t hyphenationBytes = 20) {
    std::string patterns(hyphenationBytes, '\0');
    for (size_t i = 0; i < patterns.size(); ++i)
        patterns[i] = char("hyphenation patterns "[i % 21] ^ (i / 21 % 7));
    return {{"Hyphenation.dat", 45000.5, patterns}, {"Basic.asn", 45003.5, "a sound scheme"}};
}

constexpr size_t kBigFile = 4u << 20;
constexpr ULONGLONG kRoomLeft = 1u << 20;

// The small drive the test runner mounts, as a fixed drive of its own (as
// a folder it would lie below a volume mounted there, which Wine cannot
// tell from a planted link), filled up to `kRoomLeft` bytes by one file
// that Free() removes again.
class TFullDrive {
  public:
    TFullDrive() : Drive_(std::string(QV_OUT_DIR) + "\\small-drive", DRIVE_FIXED) {
        Folder_ = std::string(QV_OUT_DIR) + "\\small-drive";
        ULARGE_INTEGER available, total, free;
        if (!Drive_.Defined()) {
            Why = "the small drive cannot be given a drive letter";
            return;
        }
        if (!GetDiskFreeSpaceExA((Folder_ + "\\").c_str(), &available, &total, &free) ||
            total.QuadPart > (64u << 20))
            Why = Folder_ + " is not a small drive of its own (the test runner mounts one where "
                            "the machine allows it)";
    }
    // Fills the drive up to kRoomLeft bytes: after the wizard's space test,
    // as another program writing there would.
    void Fill() {
        ULARGE_INTEGER available, total, free;
        Filler_ = JoinPath(Folder_, "filler.bin");
        HANDLE file = CreateFileA(Filler_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Why = "cannot write to " + Folder_;
            return;
        }
        const std::string block(64 * 1024, 'f');
        for (;;) {
            GetDiskFreeSpaceExA((Folder_ + "\\").c_str(), &available, &total, &free);
            if (available.QuadPart <= kRoomLeft) break;
            const ULONGLONG excess = available.QuadPart - kRoomLeft;
            DWORD written = 0;
            const DWORD n = DWORD(std::min<ULONGLONG>(excess, block.size()));
            if (!::WriteFile(file, block.data(), n, &written, nullptr) || written == 0) break;
        }
        CloseHandle(file);
    }
    ~TFullDrive() {
        Free();
        DeleteTree(JoinPath(Folder_, "Quorvale"));
    }
    void Free() {
        if (!Filler_.empty()) DeleteFileA(Filler_.c_str());
    }
    std::string Dest() const { return Drive_.Root() + "Quorvale"; }

    std::string Why; // empty when the drive is ready

  private:
    TWineDrive Drive_;
    std::string Folder_, Filler_;
};

// Makes the target a read-only file holding "old". Wine keeps the
// attribute in the Unix permission bits, which do not stop root: then the
// case cannot be played here.
std::string MakeReadOnlyTarget(const std::string& target) {
    MakeFolders(target.substr(0, target.find_last_of('\\')));
    if (!WriteFile(target, "old") || !SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY))
        return "cannot make " + target + " read-only";
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    CloseHandle(file);
    return "the read-only attribute does not keep this user from writing (Wine run as root)";
}

class CopyFault : public testing::Test {
  protected:
    // A setup program with the test's product, installing into `dest`.
    void Prepare(const std::string& dest, size_t hyphenationBytes = 20) {
        const std::string scratch = ScratchDir();
        // The shipped payload with the test's own entries in place of its
        // own of those names.
        std::vector<TEntry> entries = PayloadOf(SetupExe());
        const std::vector<TEntry> product = Product(hyphenationBytes);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const TEntry& e) { return FindEntry(product, e.Name); }),
                      entries.end());
        entries.insert(entries.end(), product.begin(), product.end());
        Exe = SetupWithEntries(scratch, entries);
        Dest = dest.empty() ? JoinPath(scratch, "Quorvale") : dest;
        Target = JoinPath(Dest, "Hyphenation.dat");
        Scheme = JoinPath(PublicFolder(), "Basic.asn");
        Entries = PayloadOf(Exe);
        DeleteFileA(Scheme.c_str());
    }

    // Walks to the Ready page, presses Next and waits for the question
    // about the target.
    // With `drive`, the drive fills up once the Ready page is reached.
    Message InstallUntilTheQuestion(TPerson& person, TFullDrive* drive = nullptr) {
        if (!person.WalkTo(kStartTitle)) return {};
        if (drive) drive->Fill();
        if (!person.Press(kNext)) return {};
        const Message question = person.Question(60000);
        EXPECT_EQ(question.caption, "Error");
        EXPECT_EQ(question.text, CannotCreate(Target));
        EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Abort", "&Retry", "&Ignore"}));
        return question;
    }

    // After the question: the rest of the installation to the end.
    void FinishInstallation(TPerson& person) {
        ASSERT_TRUE(person.WaitPage(kAssocTitle, 60000));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }

    // Every copy the log names holds its entry; every logged kind of copy
    // that is not named is not in place.
    void ExpectLogMatchesDisk() {
        const std::vector<std::pair<std::string, const char*>> copies = {
            {JoinPath(Dest, "kel.exe"), "kel.exe"},
            {JoinPath(Dest, "License.txt"), "License.txt"},
            {Target, "Hyphenation.dat"},
            {Scheme, "Basic.asn"}};
        const auto copied = FileCopyLines(Dest);
        for (const auto& copy : copies) {
            const TEntry* entry = FindEntry(Entries, copy.second);
            ASSERT_TRUE(entry);
            const bool logged = std::count(copied.begin(), copied.end(), copy.first) == 1;
            EXPECT_EQ(logged, bool(IsInstalled(copy.first, *entry))) << copy.first;
        }
    }

    std::string Exe, Dest, Target, Scheme;
    std::vector<TEntry> Entries;
};

// The new files a run writes before moving them over their targets, found
// in `folder`.
std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, "~QuorvaleWordProcessorSetup*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

// Byte count and contents of a file; -1 when missing.
long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
    return (long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}
} // namespace

// ---------------------------------------------------------------- a read-only target

TEST_F(CopyFault, AReadOnlyTargetAskedRetryIsWrittenOnceItMayBe) {
    Prepare("");
    const std::string why = MakeReadOnlyTarget(Target);
    if (!why.empty()) {
        SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << why;
    }
    TPerson person(Exe, TPerson::Into(Dest));
    Message question = InstallUntilTheQuestion(person);
    ASSERT_TRUE(question.window);
    ASSERT_TRUE(Answer(question, "&Retry"));
    question = person.Question();
    EXPECT_EQ(question.text, CannotCreate(Target));
    SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(Answer(question, "&Retry"));
    FinishInstallation(person);
    EXPECT_TRUE(IsInstalled(Target, *FindEntry(Entries, "Hyphenation.dat")));
    EXPECT_TRUE(Logged(Dest, Target));
    ExpectLogMatchesDisk();
}

TEST_F(CopyFault, AReadOnlyTargetAskedIgnoreKeepsTheOldFileUnlogged) {
    Prepare("");
    const std::string why = MakeReadOnlyTarget(Target);
    if (!why.empty()) {
        SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << why;
    }
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person);
    ASSERT_TRUE(question.window);
    ASSERT_TRUE(Answer(question, "&Ignore"));
    FinishInstallation(person);
    SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(Target), "old");
    EXPECT_FALSE(Logged(Dest, Target));
    EXPECT_TRUE(Logged(Dest, Scheme)); // the next file was written
    ExpectLogMatchesDisk();
}

// ---------------------------------------------------------------- a folder in the way

TEST_F(CopyFault, AFolderWhereTheFileMustGoAskedAbortEndsTheInstallation) {
    Prepare("");
    ASSERT_TRUE(MakeFolders(JoinPath(Target, "inside")));
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person);
    ASSERT_TRUE(question.window);
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(FileSize(Target), -2); // still the folder
    EXPECT_NE(GetFileAttributesA(JoinPath(Target, "inside").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(Logged(Dest, Target));
    EXPECT_FALSE(FileExists(Scheme)); // nothing after the abort
    EXPECT_TRUE(Logged(Dest, JoinPath(Dest, "kel.exe")));
    ExpectLogMatchesDisk();
}

TEST_F(CopyFault, AFolderWhereTheFileMustGoAskedIgnoreGoesOnWithTheNext) {
    Prepare("");
    ASSERT_TRUE(MakeFolders(Target));
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person);
    ASSERT_TRUE(question.window);
    ASSERT_TRUE(Answer(question, "&Ignore"));
    FinishInstallation(person);
    EXPECT_EQ(FileSize(Target), -2);
    EXPECT_FALSE(Logged(Dest, Target));
    EXPECT_TRUE(Logged(Dest, Scheme));
    ExpectLogMatchesDisk();
}

// ---------------------------------------------------------------- a full drive

TEST_F(CopyFault, AFullDriveAskedRetryWritesTheFileOnceThereIsRoom) {
    TFullDrive drive;
    if (!drive.Why.empty()) GTEST_SKIP() << drive.Why;
    Prepare(drive.Dest(), kBigFile);
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person, &drive);
    ASSERT_TRUE(question.window);
    drive.Free();
    ASSERT_TRUE(Answer(question, "&Retry"));
    FinishInstallation(person);
    EXPECT_TRUE(IsInstalled(Target, *FindEntry(Entries, "Hyphenation.dat")));
    EXPECT_TRUE(Logged(Dest, Target));
    ExpectLogMatchesDisk();
}

// Over an earlier installation: the new version of the file no longer fits.
// Neither a file cut short (it would pass for the real one) nor a gap is
// left: the earlier version stays byte for byte, and no new file is left
// behind.
TEST_F(CopyFault, AFullDriveAskedIgnoreKeepsTheEarlierVersion) {
    TFullDrive drive;
    if (!drive.Why.empty()) GTEST_SKIP() << drive.Why;
    Prepare(drive.Dest(), kBigFile);
    const std::string earlier(64 * 1024, 'e');
    ASSERT_TRUE(MakeFolders(Dest) && WriteFile(Target, earlier));
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person, &drive);
    ASSERT_TRUE(question.window);
    EXPECT_EQ(ReadFile(Target), earlier);
    ASSERT_TRUE(Answer(question, "&Ignore"));
    FinishInstallation(person);
    EXPECT_EQ(ReadFile(Target), earlier);
    EXPECT_EQ(Leftovers(Dest), std::vector<std::string>{});
    EXPECT_FALSE(Logged(Dest, Target));
    EXPECT_TRUE(Logged(Dest, Scheme));
    ExpectLogMatchesDisk();
}

TEST_F(CopyFault, AFullDriveAskedAbortKeepsTheEarlierVersionAndEndsTheInstallation) {
    TFullDrive drive;
    if (!drive.Why.empty()) GTEST_SKIP() << drive.Why;
    Prepare(drive.Dest(), kBigFile);
    const std::string earlier(64 * 1024, 'e');
    ASSERT_TRUE(MakeFolders(Dest) && WriteFile(Target, earlier));
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person, &drive);
    ASSERT_TRUE(question.window);
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(ReadFile(Target), earlier);
    EXPECT_EQ(Leftovers(Dest), std::vector<std::string>{});
    EXPECT_FALSE(FileExists(Scheme));
    ExpectLogMatchesDisk();
}

// A first installation that does not fit leaves no file cut short.
TEST_F(CopyFault, AFullDriveAskedIgnoreLeavesNoHalfWrittenFile) {
    TFullDrive drive;
    if (!drive.Why.empty()) GTEST_SKIP() << drive.Why;
    Prepare(drive.Dest(), kBigFile);
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person, &drive);
    ASSERT_TRUE(question.window);
    ASSERT_TRUE(Answer(question, "&Ignore"));
    FinishInstallation(person);
    EXPECT_EQ(FileSize(Target), -1);
    EXPECT_EQ(Leftovers(Dest), std::vector<std::string>{});
    ExpectLogMatchesDisk();
}

// ---------------------------------------------------------------- a run killed while it writes

// Killed at moments spread over the copy of a large file over an earlier
// installation: every target holds exactly its earlier bytes or exactly the
// payload's. The next run in the same folders removes the new files the
// killed runs left behind.
TEST_F(CopyFault, ARunKilledWhileWritingLeavesEveryFileOldOrNewAndTheNextRunCleansUp) {
    Prepare("", 24u << 20);
    const std::vector<std::pair<std::string, const char*>> copies = {
        {JoinPath(Dest, "kel.exe"), "kel.exe"},
        {JoinPath(Dest, "License.txt"), "License.txt"},
        {Target, "Hyphenation.dat"},
        {Scheme, "Basic.asn"}};
    for (DWORD delay : {0, 20, 60, 150, 400}) {
        SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
        for (const auto& copy : copies) {
            ASSERT_TRUE(MakeFolders(copy.first.substr(0, copy.first.rfind('\\'))));
            ASSERT_TRUE(WriteFile(copy.first, std::string("earlier ") + copy.second));
        }
        {
            TPerson person(Exe, TPerson::Into(Dest));
            ASSERT_TRUE(person.WalkTo(kStartTitle));
            ASSERT_TRUE(person.Press(kNext));
            Sleep(delay);
            person.Setup.Kill();
        }
        for (const auto& copy : copies) {
            const std::string data = ReadFile(copy.first);
            EXPECT_TRUE(data == std::string("earlier ") + copy.second ||
                        data == FindEntry(Entries, copy.second)->Data)
                << copy.first << " holds " << data.size() << " other bytes";
        }
    }
    TPerson person(Exe, TPerson::Into(Dest));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    ASSERT_TRUE(person.Press(kNext));
    FinishInstallation(person);
    for (const auto& copy : copies)
        EXPECT_TRUE(IsInstalled(copy.first, *FindEntry(Entries, copy.second)));
    EXPECT_EQ(Leftovers(Dest), std::vector<std::string>{});
    EXPECT_EQ(Leftovers(PublicFolder()), std::vector<std::string>{});
}
