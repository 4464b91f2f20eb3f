// Installing through the wizard: the files of the plan in their places with
// their time stamps, "Install.log", components left out, quitting during
// the copy, a target that cannot be written, and the same installation
// without the wizard (/S, /PASSIVE).
#include "shell_link_reader.h"
#include "wizard_person.h"

#include <sddl.h>

#include <algorithm>
#include <set>

using namespace wizard;

namespace {
// A planned copy, as the placement table of the product decides it.
struct TCopy {
    std::string Target;
    const TEntry* Entry;
    bool Logged;
};

bool StartsWithFolder(const std::string& name, const char* folder) {
    const size_t n = strlen(folder);
    return name.size() > n && CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(),
                                             int(n), folder, int(n)) == CSTR_EQUAL;
}

// Every copy a non-portable installation of `components` makes from these
// entries, in the order the install thread writes them.
std::vector<TCopy> PlannedCopies(const std::vector<TEntry>& entries, const std::string& dest,
                                 unsigned components) {
    const std::string shared = PublicFolder();
    const std::string spellcheck = JoinPath(shared, "Spellcheck");
    std::vector<TCopy> copies;
    auto file = [&](const char* name, const std::string& folder, bool logged,
                    const char* as = nullptr) {
        if (const TEntry* e = FindEntry(entries, name))
            copies.push_back({JoinPath(folder, as ? as : e->Name), e, logged});
    };
    auto tree = [&](const char* folder) {
        for (const auto& e : entries)
            if (StartsWithFolder(e.Name, folder))
                copies.push_back({JoinPath(shared, e.Name), &e, false});
    };
    file("kel.exe", dest, true);
    file("License.txt", dest, true);
    if (components & 2) {
        file("English (American).asc", spellcheck, false);
        file("English (American).cache", spellcheck, false);
        file("English (British).asc", spellcheck, false);
        file("English (American).cache", spellcheck, false, "English (British).cache");
        for (const char* name : {"english.zlx", "us.zlx", "uk.zlx", "userdicen.tlx"})
            file(name, spellcheck, false);
    }
    if (components & 4) file("Hyphenation.dat", dest, true);
    if (components & 8) tree("Templates\\");
    if (components & 16) tree("Clip Library\\");
    if (components & 32) file("Basic.asn", shared, true);
    return copies;
}

std::vector<std::string> FileCopyLines(const std::vector<std::string>& log) {
    std::vector<std::string> lines;
    for (const auto& line : log)
        if (line.compare(0, 11, "File Copy: ") == 0) lines.push_back(line.substr(11));
    return lines;
}

// A small product of the test's own beside the shipped one: one file of
// each kind of place, so that leaving components out shows.
std::vector<TEntry> SmallProduct() {
    return {
        {"Hyphenation.dat", 45000.5, "hyphenation patterns"},
        {"us.zlx", 45001.25, "us words"},
        {"Templates\\Letters\\Plain.kwt", 45002.75, "a plain letter"},
        {"Basic.asn", 45003.5, "a sound scheme"},
    };
}

void RemovePublicFiles(const std::vector<TEntry>& entries) {
    for (const auto& copy : PlannedCopies(entries, "", 0xFF))
        if (copy.Target.find(PublicFolder()) == 0) DeleteFileA(copy.Target.c_str());
}

// Holds a file open without sharing, as another program might.
class TLockedFile {
  public:
    explicit TLockedFile(const std::string& path, const std::string& data) {
        MakeFolders(path.substr(0, path.find_last_of('\\')));
        WriteFile(path, data);
        Handle_ = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~TLockedFile() { Release(); }
    bool Held() const { return Handle_ != INVALID_HANDLE_VALUE; }
    void Release() {
        if (Handle_ != INVALID_HANDLE_VALUE) CloseHandle(Handle_);
        Handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE Handle_;
};

// A machine-wide data folder that users may change, with a file in it,
// held open by another program that lets nobody rename or delete it while
// the handle lives (invalid when it could not be made).
HANDLE HeldDataFolder(const std::string& data) {
    DeleteTree(data);
    MakeFolders(JoinPath(data, "Public"));
    WriteFile(JoinPath(data, "Public\\Basic.asn"), "planted");
    PSECURITY_DESCRIPTOR open = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                              &open, nullptr))
        return INVALID_HANDLE_VALUE;
    const bool opened = SetFileSecurityA(data.c_str(), DACL_SECURITY_INFORMATION, open);
    LocalFree(open);
    return opened ? CreateFileA(data.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                  : INVALID_HANDLE_VALUE;
}

std::string CannotCreate(const std::string& path) {
    return "Cannot create file \"" + path +
           "\".\rAnother application might already be using this file.\r\rPlease make sure that "
           "the setup of Quorvale Word Processor is not blocked by your security software "
           "(firewall/antivirus) in any way.\rYou might want to temporarily disable your "
           "security software and try again.";
}
} // namespace

// ---------------------------------------------------------------- a whole installation

TEST(WizardInstall, DefaultChoicesPutEveryPlannedFileInPlaceAndWriteTheLog) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    const std::vector<TEntry> entries = PayloadOf(SetupExe());
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }

    const std::vector<TCopy> copies = PlannedCopies(entries, dest, 0x3F);
    ASSERT_GE(copies.size(), 2u); // kel.exe and License.txt at least
    for (const auto& copy : copies)
        EXPECT_TRUE(IsInstalled(copy.Target, *copy.Entry));

    std::string log;
    ASSERT_TRUE(ReadFile(JoinPath(dest, "Install.log"), log));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    const std::vector<std::string> lines = Lines(log);
    // The destination folder is made before anything is copied into it.
    ASSERT_FALSE(lines.empty());
    const auto madeDest = std::find(lines.begin(), lines.end(), "Made Dir: " + dest + "\\");
    const auto firstCopy = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.compare(0, 11, "File Copy: ") == 0;
    });
    EXPECT_TRUE(madeDest < firstCopy);
    // Exactly the logged copies, in order; the licence shown on the way
    // left no trace.
    std::vector<std::string> logged;
    for (const auto& copy : copies)
        if (copy.Logged) logged.push_back(copy.Target);
    // Then the two links of the finish page, for anyone.
    logged.push_back(LinkPath(false, true));
    logged.push_back(LinkPath(true, true));
    EXPECT_EQ(FileCopyLines(lines), logged);
    for (const auto& line : lines)
        EXPECT_EQ(line.find(".tmp"), std::string::npos) << line;
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), lines.size());
}

TEST(WizardInstall, AnEarlierInstallLogIsContinued) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    MakeFolders(dest);
    ASSERT_TRUE(WriteFile(JoinPath(dest, "Install.log"), "File Copy: C:\\Earlier\\x.dat\r\n"));
    TPerson person(SetupExe(), TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    const std::vector<std::string> lines = Lines(ReadFile(JoinPath(dest, "Install.log")));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "File Copy: C:\\Earlier\\x.dat");
    EXPECT_EQ(lines[1], "File Copy: " + JoinPath(dest, "kel.exe"));
}

// The user dictionary holds the words the user added: a reinstallation
// keeps it, while the other shared files are replaced.
TEST(WizardInstall, AReinstallationKeepsTheUserDictionary) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    const std::vector<TEntry> entries = PayloadOf(SetupExe());
    const std::string spellcheck = JoinPath(PublicFolder(), "Spellcheck");
    const std::string dictionary = JoinPath(spellcheck, "userdicen.tlx");
    const std::string words = JoinPath(spellcheck, "english.zlx");
    ASSERT_TRUE(MakeFolders(spellcheck));
    ASSERT_TRUE(WriteFile(dictionary, "quorvale\r\nkestrovane\r\n"));
    ASSERT_TRUE(WriteFile(words, "an older word list"));
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    EXPECT_EQ(ReadFile(dictionary), "quorvale\r\nkestrovane\r\n");
    ASSERT_TRUE(FindEntry(entries, "english.zlx"));
    EXPECT_TRUE(IsInstalled(words, *FindEntry(entries, "english.zlx")));
    // Later tests expect the shipped dictionary.
    DeleteFileA(dictionary.c_str());
}

TEST(WizardInstall, UntickedComponentsStayOutAndTheFirstOneCannotBeUnticked) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string dest = JoinPath(scratch, "Quorvale");
    const std::vector<TEntry> entries = PayloadOf(exe);
    RemovePublicFiles(entries);
    {
        TPerson person(exe, TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kSelCompTitle));
        // The list has the focus, on the spellchecker: Space unticks it.
        Key(person.Wizard, VK_SPACE);
        // Up to the word processor itself: Space leaves it ticked.
        Key(person.Wizard, VK_UP);
        Key(person.Wizard, VK_SPACE);
        // Down to the templates, past the hyphenation module.
        for (int i = 0; i < 3; ++i)
            Key(person.Wizard, VK_DOWN);
        Key(person.Wizard, VK_SPACE);
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    const unsigned chosen = 1 | 4 | 16 | 32;
    for (const auto& copy : PlannedCopies(entries, dest, chosen))
        EXPECT_TRUE(IsInstalled(copy.Target, *copy.Entry));
    for (const auto& copy : PlannedCopies(entries, dest, 0x3F & ~chosen)) {
        if (copy.Entry->Name == "kel.exe" || copy.Entry->Name == "License.txt") continue;
        EXPECT_FALSE(FileExists(copy.Target)) << copy.Target;
    }
    EXPECT_TRUE(FileExists(JoinPath(dest, "Hyphenation.dat")));
    EXPECT_FALSE(FileExists(JoinPath(JoinPath(PublicFolder(), "Spellcheck"), "us.zlx")));
    EXPECT_FALSE(FileExists(JoinPath(PublicFolder(), "Templates\\Letters\\Plain.kwt")));
}

// ---------------------------------------------------------------- quitting during the copy

namespace {
// Enough files that the copy is still running when the quit question comes.
std::vector<TEntry> ManyTemplates() {
    std::vector<TEntry> entries;
    for (int i = 0; i < 3000; ++i)
        entries.push_back({"Templates\\Many\\T" + std::to_string(i) + ".kwt", 45000.5,
                           "template " + std::to_string(i)});
    return entries;
}

int CountFiles(const std::string& folder) {
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, "*.kwt").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do
        ++count;
    while (FindNextFileA(find, &found));
    FindClose(find);
    return count;
}

// Next on the Ready page and at once the close box: the quit question
// comes while the install thread writes its first files.
Message QuitRightAfterNext(const TPerson& person) {
    PostMessageA(person.Control(kNext), BM_CLICK, 0, 0);
    PostMessageA(person.Wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
    return person.Question();
}
} // namespace

TEST(WizardInstall, QuitDuringTheCopyAnsweredNoGoesOn) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, ManyTemplates());
    const std::string dest = JoinPath(scratch, "Quorvale");
    const std::string many = JoinPath(PublicFolder(), "Templates\\Many");
    DeleteTree(many);

    TPerson person(exe, TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    const Message question = QuitRightAfterNext(person);
    EXPECT_EQ(question.text, kQuitQuestion);
    EXPECT_EQ(person.Page(), kInstallingTitle);
    // Held while the question is up: Back and Next stay disabled.
    EXPECT_FALSE(person.Enabled(kNext));
    EXPECT_FALSE(person.Enabled(kBack));
    ASSERT_TRUE(Answer(question, "&No"));

    ASSERT_TRUE(person.WaitPage(kAssocTitle, 120000));
    EXPECT_EQ(CountFiles(many), 3000);
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    const std::vector<TEntry> entries = PayloadOf(exe);
    std::vector<std::string> logged;
    for (const auto& copy : PlannedCopies(entries, dest, 0x3F))
        if (copy.Logged) logged.push_back(copy.Target);
    logged.push_back(LinkPath(false, true));
    logged.push_back(LinkPath(true, true));
    EXPECT_EQ(FileCopyLines(Lines(ReadFile(JoinPath(dest, "Install.log")))), logged);
}

TEST(WizardInstall, QuitDuringTheCopyAnsweredAbortStopsAfterTheFileInHand) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, ManyTemplates());
    const std::string dest = JoinPath(scratch, "Quorvale");
    const std::string many = JoinPath(PublicFolder(), "Templates\\Many");
    DeleteTree(many);

    TPerson person(exe, TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    const Message question = QuitRightAfterNext(person);
    ASSERT_EQ(question.text, kQuitQuestion);
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);

    // The first file was in hand when the quit came; the templates, much
    // later in the plan, were not reached.
    EXPECT_TRUE(FileExists(JoinPath(dest, "kel.exe")));
    EXPECT_LT(CountFiles(many), 3000);
    // The installation had started: the log is written.
    const std::vector<std::string> copied =
        FileCopyLines(Lines(ReadFile(JoinPath(dest, "Install.log"))));
    ASSERT_FALSE(copied.empty());
    EXPECT_EQ(copied[0], JoinPath(dest, "kel.exe"));
}

// ---------------------------------------------------------------- a file in use

class WizardLockedFile : public testing::Test {
  protected:
    void SetUp() override {
        const std::string scratch = ScratchDir();
        Exe = SetupWithExtraEntries(scratch, SmallProduct());
        Dest = JoinPath(scratch, "Quorvale");
        Target = JoinPath(Dest, "Hyphenation.dat");
        Entries = PayloadOf(Exe);
        RemovePublicFiles(Entries);
    }

    // Walks to the Ready page and presses Next; the question about the
    // locked file comes.
    Message InstallUntilTheQuestion(TPerson& person) {
        if (!person.WalkTo(kStartTitle) || !person.Press(kNext)) return {};
        return person.Question();
    }

    std::string Exe, Dest, Target;
    std::vector<TEntry> Entries;
};

TEST_F(WizardLockedFile, RetryAsksAgainUntilTheFileIsFreeThenWritesItOnce) {
    TLockedFile locked(Target, "old");
    ASSERT_TRUE(locked.Held());
    TPerson person(Exe, TPerson::Into(Dest));
    Message question = InstallUntilTheQuestion(person);
    EXPECT_EQ(question.caption, "Error");
    EXPECT_EQ(question.text, CannotCreate(Target));
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Abort", "&Retry", "&Ignore"}));
    ASSERT_TRUE(Answer(question, "&Retry"));

    question = person.Question();
    EXPECT_EQ(question.text, CannotCreate(Target));
    locked.Release();
    ASSERT_TRUE(Answer(question, "&Retry"));

    ASSERT_TRUE(person.WaitPage(kAssocTitle, 60000));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_TRUE(IsInstalled(Target, *FindEntry(Entries, "Hyphenation.dat")));
    const auto copied = FileCopyLines(Lines(ReadFile(JoinPath(Dest, "Install.log"))));
    EXPECT_EQ(std::count(copied.begin(), copied.end(), Target), 1);
}

// A file in the data folder every user shares is no exception: a scanner
// holding a dictionary for a moment is asked about as well.
TEST_F(WizardLockedFile, ASharedFileIsAskedAboutAndRetryWritesItOnceItIsFree) {
    const std::string scheme = JoinPath(PublicFolder(), "Basic.asn");
    TLockedFile locked(scheme, "old");
    ASSERT_TRUE(locked.Held());
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person);
    EXPECT_EQ(question.text, CannotCreate(scheme));
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Abort", "&Retry", "&Ignore"}));
    locked.Release();
    ASSERT_TRUE(Answer(question, "&Retry"));
    ASSERT_TRUE(person.WaitPage(kAssocTitle, 60000));
    EXPECT_TRUE(IsInstalled(scheme, *FindEntry(Entries, "Basic.asn")));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST_F(WizardLockedFile, IgnoreLeavesTheFileAndGoesOnWithTheNext) {
    TLockedFile locked(Target, "old");
    ASSERT_TRUE(locked.Held());
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person);
    ASSERT_EQ(question.text, CannotCreate(Target));
    ASSERT_TRUE(Answer(question, "&Ignore"));

    ASSERT_TRUE(person.WaitPage(kAssocTitle, 60000));
    locked.Release();
    EXPECT_EQ(ReadFile(Target), "old");
    // The sound scheme comes after the hyphenation module.
    EXPECT_TRUE(
        IsInstalled(JoinPath(PublicFolder(), "Basic.asn"), *FindEntry(Entries, "Basic.asn")));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    const auto copied = FileCopyLines(Lines(ReadFile(JoinPath(Dest, "Install.log"))));
    EXPECT_EQ(std::count(copied.begin(), copied.end(), Target), 0);
}

TEST_F(WizardLockedFile, AbortEndsTheWizardAndStillWritesTheLog) {
    TLockedFile locked(Target, "old");
    ASSERT_TRUE(locked.Held());
    TPerson person(Exe, TPerson::Into(Dest));
    const Message question = InstallUntilTheQuestion(person);
    ASSERT_EQ(question.text, CannotCreate(Target));
    ASSERT_TRUE(Answer(question, "&Abort"));
    // No message of the wizard's own, no quit question.
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    locked.Release();

    EXPECT_EQ(ReadFile(Target), "old");
    EXPECT_FALSE(FileExists(JoinPath(PublicFolder(), "Basic.asn")));
    const auto copied = FileCopyLines(Lines(ReadFile(JoinPath(Dest, "Install.log"))));
    EXPECT_EQ(copied,
              (std::vector<std::string>{JoinPath(Dest, "kel.exe"), JoinPath(Dest, "License.txt")}));
}

TEST_F(WizardLockedFile, AHeldMachineWideDataFolderIsNamedAndEndsTheWizardWithNothingWritten) {
    const std::string data = JoinPath(Environment("ProgramData"), "Quorvale");
    HANDLE held = HeldDataFolder(data);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TPerson person(Exe, TPerson::Into(Dest));
    const Message message = InstallUntilTheQuestion(person);
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.text.rfind(data + " cannot be opened (error 32: ", 0), 0u) << message.text;
    EXPECT_EQ(message.buttons, std::vector<std::string>{"OK"});
    ASSERT_TRUE(Answer(message, "OK"));
    // No quit question: the wizard ends as after an Abort.
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadFile(JoinPath(data, "Public\\Basic.asn")), "planted");
    EXPECT_FALSE(FileExists(JoinPath(data, "Hidden")));
    EXPECT_FALSE(FileExists(JoinPath(Dest, "kel.exe")));
    EXPECT_FALSE(FileExists(JoinPath(Dest, "Install.log")));
    DeleteTree(data);
}

// ---------------------------------------------------------------- without the wizard

namespace {
// What one installation into `dest` left: the files below it and below the
// shared data folder (bytes and time stamps), the logs, the registry values
// and the links, with `dest` written as "<dest>" so that two installations
// into different folders compare. The two files that hold the time of the
// run ("install_stamp", "kel_common.dat") and the update log's stamp line
// are left out.
struct TInstallationState {
    std::vector<std::string> Files, InstallLog, UpdateLog, Install, Uninstall, Links;
};

std::string Masked(std::string text, const std::string& dest) {
    for (size_t at; (at = text.find(dest)) != std::string::npos;)
        text.replace(at, dest.size(), "<dest>");
    return text;
}

void ListFiles(const std::string& folder, const std::string& shown, std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || name == "Install.log" || name == "Update.log" ||
            name == "install_stamp" || name == "kel_common.dat")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(JoinPath(folder, name), JoinPath(shown, name), out);
            continue;
        }
        out.push_back(JoinPath(shown, name) + " " +
                      std::to_string(found.ftLastWriteTime.dwHighDateTime) + ":" +
                      std::to_string(found.ftLastWriteTime.dwLowDateTime) + " " +
                      ReadFile(JoinPath(folder, name)));
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

std::vector<std::string> RegistryValues(HKEY root, const char* key, const std::string& dest) {
    std::vector<std::string> values;
    for (const std::string& name : ValueNames(root, key)) {
        const TRegValue value = ReadValue(root, key, name.c_str());
        values.push_back(name + "=" + std::to_string(value.Type) + ":" + Masked(value.Data, dest));
    }
    return values;
}

TInstallationState StateOf(const std::string& dest) {
    TInstallationState state;
    const std::string data = JoinPath(Environment("ProgramData"), "Quorvale");
    ListFiles(dest, "<dest>", state.Files);
    ListFiles(data, "<data>", state.Files);
    state.InstallLog = Lines(Masked(ReadFile(JoinPath(dest, "Install.log")), dest));
    state.UpdateLog = Lines(ReadFile(JoinPath(data, "Update.log")));
    if (!state.UpdateLog.empty()) state.UpdateLog.erase(state.UpdateLog.begin());
    state.Install = RegistryValues(HKEY_CURRENT_USER, kInstallKey, dest);
    state.Uninstall = RegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey, dest);
    for (bool desktop : {false, true})
        for (bool common : {false, true})
            if (FileExists(LinkPath(desktop, common)))
                state.Links.push_back(
                    LinkPath(desktop, common) + " " +
                    Masked(e2e::ReadShellLink(LinkPath(desktop, common)).Path, dest));
    return state;
}

// A run of the setup program with these arguments, to its end.
int Unattended(const std::string& exe, const std::vector<std::string>& args) {
    Launch launch;
    launch.args = args;
    Process setup(exe, launch);
    const int code = setup.WaitExit(120000);
    // The command for the document types runs alongside and would be
    // ended with the setup's Process before it has done its work.
    setup.AllExited();
    return code;
}

void ForgetInstallation() {
    ClearProductState();
    DeleteTree(JoinPath(Environment("ProgramData"), "Quorvale"));
}
} // namespace

TEST(UnattendedInstall, SilentLeavesWhatTheWizardLeavesWithTheSameChoices) {
    const std::string scratch = ScratchDir();
    const std::string byWizard = JoinPath(scratch, "ByWizard"),
                      silently = JoinPath(scratch, "Silently");
    ForgetInstallation();
    {
        TPerson person(SetupExe(), TPerson::Into(byWizard));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press("&Launch Quorvale Word Processor")); // a silent run never launches
        ASSERT_TRUE(person.Press(kFinish));
        ASSERT_EQ(person.Setup.WaitExit(), 0);
    }
    const TInstallationState wizard = StateOf(byWizard);
    ForgetInstallation();
    // The settings saved by the wizard's run would decide the silent run's
    // choices: both start from none. Only the launch box was changed above,
    // and a silent run keeps the saved or default launch choice.
    ASSERT_EQ(Unattended(SetupExe(), {"-d" + silently, "/s"}), 0);
    TInstallationState silent = StateOf(silently);
    ASSERT_FALSE(wizard.Files.empty());
    EXPECT_EQ(silent.Files, wizard.Files);
    EXPECT_EQ(silent.InstallLog, wizard.InstallLog);
    EXPECT_EQ(silent.UpdateLog, wizard.UpdateLog);
    EXPECT_EQ(silent.Links, wizard.Links);
    EXPECT_EQ(silent.Uninstall, wizard.Uninstall);
    // LAUNCH: unticked in the wizard, the default (ticked) silently.
    auto launch =
        std::find_if(silent.Install.begin(), silent.Install.end(),
                     [](const std::string& v) { return v.compare(0, 7, "LAUNCH=") == 0; });
    ASSERT_NE(launch, silent.Install.end());
    EXPECT_EQ(*launch, "LAUNCH=4:" + std::string("\1\0\0\0", 4));
    *launch = "LAUNCH=4:" + std::string(4, '\0');
    EXPECT_EQ(silent.Install, wizard.Install);
    // Never launched: the only start of the word processor is the command
    // for the document types.
    EXPECT_EQ(StartsLog(1).size(), 1u);
}

TEST(UnattendedInstall, ChoicesFromTheOptionsAndAPassiveWindow) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string dest = JoinPath(scratch, "Quorvale");
    const std::vector<TEntry> entries = PayloadOf(exe);
    RemovePublicFiles(entries);
    // A file held for a while keeps the run (and its window) there: it is
    // tried again until it is free.
    TLockedFile locked(JoinPath(dest, "Hyphenation.dat"), "old");
    ASSERT_TRUE(locked.Held());
    Launch launch;
    launch.args = {"-d" + dest, "/Components=2", "/noshortcut",
                   "/PASSIVE",  "/CurrentUser",  "/assoc=ca"};
    Process setup(exe, launch);
    // A window that shows the progress, with nothing to answer.
    HWND window = setup.WaitWindow("Quorvale Word Processor - Setup");
    ASSERT_TRUE(window);
    EXPECT_TRUE(FindControlByClass(window, "msctls_progress32"));
    EXPECT_EQ(setup.Windows(), std::vector<HWND>{window});
    locked.Release();
    ASSERT_EQ(setup.WaitExit(120000), 0);

    for (const auto& copy : PlannedCopies(entries, dest, 1 | 4))
        EXPECT_TRUE(IsInstalled(copy.Target, *copy.Entry));
    EXPECT_FALSE(FileExists(JoinPath(PublicFolder(), "Basic.asn")));
    EXPECT_FALSE(FileExists(JoinPath(PublicFolder(), "Templates\\Letters\\Plain.kwt")));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "COMPS (1.6.6.2)").Number() & 0x3F, 0x04u);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS").Text(), "AC");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "INSTALLTOALL").Number(), 0u);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "DSKSHORTCUT").Number(), 0u);
    EXPECT_TRUE(FileExists(LinkPath(false, false)));
    for (bool common : {false, true})
        EXPECT_FALSE(FileExists(LinkPath(true, common)));
    EXPECT_FALSE(FileExists(LinkPath(false, true)));
    EXPECT_EQ(StartsLog(1), std::vector<std::string>{"\"" + JoinPath(dest, "kel.exe") +
                                                     "\" -assoc adpr_rtf_doc"});
}

TEST(UnattendedInstall, ExitCodesOfBadOptionsARunningWordProcessorAndAFileThatStaysLocked) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string dest = JoinPath(scratch, "Quorvale");
    // Bad options, and every destination the wizard's page refuses, given
    // in any of the forms: nothing is written.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-d" + dest, "/S", "/FAST"},
             {"/S", "-d" + dest},
             {"-d" + dest, "/S", "/COMPONENTS=7"},
             {"-d" + dest, "/S", "/ASSOC=X"},
             {"-d" + dest, "/S", "/PASSIVE"},
             {"-d" + dest, "/S", "/LOG=" + JoinPath(scratch, "no such folder\\setup.log")},
             {"-d" + dest, "/quiet", "/S/LOG=x"},
             {"-d", "/S"},
             {"-dQuorvale", "/quiet"},
             {"/VERYSILENT", "/DIR=" + JoinPath(scratch, "Apps\\CON")},
             {"/S", "/DIR=\\\\?\\" + dest},
             {"/S", "/D=" + dest + "."},
             {"/S", "/D=" + JoinPath(scratch, std::string(240, 'q'))},
         })
        EXPECT_EQ(Unattended(exe, args), 87) << args[0] << " " << args.back();
    EXPECT_FALSE(FileExists(dest));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kInstallKey));
    {
        TWordProcessor running;
        EXPECT_EQ(Unattended(exe, {"-d" + dest, "/S"}), 1618);
    }
    EXPECT_FALSE(FileExists(dest));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kInstallKey));

    // Tried again for some seconds, then given up as Abort would be.
    const std::vector<TEntry> entries = PayloadOf(exe);
    RemovePublicFiles(entries);
    TLockedFile locked(JoinPath(dest, "Hyphenation.dat"), "old");
    ASSERT_TRUE(locked.Held());
    const std::string diagnostics = JoinPath(scratch, "setup.log");
    const DWORD start = GetTickCount();
    EXPECT_EQ(Unattended(exe, {"-d" + dest, "/S", "/log=" + diagnostics}), 1603);
    EXPECT_GE(GetTickCount() - start, 3000u);
    locked.Release();
    // The diagnostic log names the file, the system's reason and the answers.
    const std::string log = ReadFile(diagnostics);
    const std::string question =
        "Question: Cannot create file \"" + JoinPath(dest, "Hyphenation.dat") + "\". (error ";
    for (const std::string& part :
         {std::string("Command line: "), "Destination: " + dest + " (given with -d)",
          "Copy: " + JoinPath(dest, "kel.exe") + ": written", question,
          std::string("Answer: Retry"), std::string("Answer: Abort"),
          "Copy: " + JoinPath(dest, "Hyphenation.dat") + ": given up (Abort)",
          "Registry: HKEY_CURRENT_USER\\" + std::string(kInstallKey) + "\\MAINDIR = \"" + dest +
              "\"",
          "File: " + JoinPath(dest, "Install.log"), std::string("Exit code: 1603")})
        EXPECT_NE(log.find(part), std::string::npos) << part << "\n" << log;
    EXPECT_EQ(ReadFile(JoinPath(dest, "Hyphenation.dat")), "old");
    EXPECT_FALSE(FileExists(JoinPath(PublicFolder(), "Basic.asn")));
    EXPECT_EQ(FileCopyLines(Lines(ReadFile(JoinPath(dest, "Install.log")))),
              (std::vector<std::string>{JoinPath(dest, "kel.exe"), JoinPath(dest, "License.txt")}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "MAINDIR").Text(), dest);

    // A machine-wide data folder that users may change, which another
    // program holds open without letting it be renamed: it cannot be moved
    // aside, and nothing is written through it.
    const std::string data = JoinPath(Environment("ProgramData"), "Quorvale");
    const std::string planted = JoinPath(scratch, "Planted");
    const std::string plantedLog = JoinPath(scratch, "planted.log");
    HANDLE held = HeldDataFolder(data);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Unattended(exe, {"-d" + planted, "/S", "/log=" + plantedLog}), 1603);
    CloseHandle(held);
    const std::string refused = ReadFile(plantedLog);
    for (const std::string& part :
         {"Data folder: " + data + " cannot be opened (error 32: ",
          std::string("; nothing is installed"), std::string("Exit code: 1603")})
        EXPECT_NE(refused.find(part), std::string::npos) << part << "\n" << refused;
    EXPECT_EQ(ReadFile(JoinPath(data, "Public\\Basic.asn")), "planted");
    EXPECT_FALSE(FileExists(JoinPath(data, "Hidden")));
    EXPECT_FALSE(FileExists(JoinPath(planted, "kel.exe")));
    DeleteTree(data);
}

TEST(UnattendedInstall, ADestinationOthersMayChangeIsRefusedUnlessItIsEmpty) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string dest = JoinPath(scratch, "Open"), log = JoinPath(scratch, "setup.log");
    ASSERT_TRUE(MakeFolders(dest) && WriteFile(JoinPath(dest, "kel.exe"), "planted"));
    ASSERT_TRUE(EveryoneMayChange(dest));
    EXPECT_EQ(Unattended(exe, {"-d" + dest, "/S", "/LOG=" + log}), 87);
    EXPECT_EQ(ReadFile(JoinPath(dest, "kel.exe")), "planted");
    EXPECT_NE(ReadFile(log).find("can be changed by users who are no administrators"),
              std::string::npos);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kInstallKey));

    // Empty, it gets the protection of a new folder before anything is
    // copied into it.
    ASSERT_TRUE(DeleteFileA(JoinPath(dest, "kel.exe").c_str()));
    const std::string second = JoinPath(scratch, "second.log");
    EXPECT_EQ(Unattended(exe, {"-d" + dest, "/S", "/LOG=" + second}), 0);
    EXPECT_FALSE(EveryoneMayWrite(dest));
    EXPECT_TRUE(FileExists(JoinPath(dest, "kel.exe")));
    EXPECT_NE(ReadFile(second).find("Destination: " + dest + " taken over, empty"),
              std::string::npos);

    // Below a link that is no volume mounted there by name (the small drive
    // the test runner mounts in the build tree: Wine shows it as a link
    // whose target it does not name): nothing is written.
    const std::string small = std::string(QV_OUT_DIR) + "\\small-drive";
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA((small + "\\").c_str(), &available, &total, &free) ||
        total.QuadPart > (64u << 20))
        GTEST_SKIP() << small << " is not a small drive of its own";
    const std::string below = JoinPath(small, "Below a link"),
                      third = JoinPath(scratch, "third.log");
    DeleteTree(below);
    EXPECT_EQ(Unattended(exe, {"-d" + below, "/S", "/LOG=" + third}), 1603);
    EXPECT_EQ(GetFileAttributesA(below.c_str()), INVALID_FILE_ATTRIBUTES); // not even the folder
    EXPECT_NE(ReadFile(third).find("\"" + small + "\" on the way to the destination is a link"),
              std::string::npos);
    DeleteTree(below);
}

TEST(UnattendedInstall, TheSwitchesOfOtherInstallersAndADryRun) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string log = JoinPath(scratch, "check.log");
    // A dry run finds nothing in the way and changes nothing.
    const std::string first = JoinPath(scratch, "Dry Run");
    ForgetInstallation();
    EXPECT_EQ(Unattended(exe, {"/CHECK", "/DIR=" + first, "/LOG=" + log}), 0);
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kInstallKey));
    EXPECT_NE(ReadFile(log).find("Check: the installation into " + first + " would go ahead"),
              std::string::npos);
    EXPECT_EQ(Unattended(exe, {"/CHECK", "/D=C:\\Windows\\CON"}), 87);

    // The same destination with blanks in each form; each installs silently.
    struct {
        std::vector<std::string> Args;
        const char* Folder;
    } const cases[] = {
        {{"/VERYSILENT", "/SUPPRESSMSGBOXES", "/NORESTART", "/DIR=<d>"}, "Very Silent"},
        {{"/quiet", "/NOSHORTCUT", "/D=<d>"}, "Quiet\\My Apps"},
        {{"-d<d>", "/SILENT"}, "Passive"},
    };
    for (const auto& c : cases) {
        const std::string dest = JoinPath(scratch, c.Folder);
        std::vector<std::string> args;
        for (std::string arg : c.Args) {
            const size_t at = arg.find("<d>");
            args.push_back(at == std::string::npos ? arg : arg.replace(at, 3, dest));
        }
        EXPECT_EQ(Unattended(exe, args), 0) << c.Folder;
        EXPECT_TRUE(FileExists(JoinPath(dest, "kel.exe"))) << c.Folder;
        EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kInstallKey, "MAINDIR").Text(), dest);
    }
}

TEST(UnattendedInstall, ALogNeverWritesThroughWhatIsThereAndTellsWhatHappened) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string dest = JoinPath(scratch, "Quorvale");
    // The log's name is a hard link to a file of somebody else's.
    const std::string other = JoinPath(scratch, "other.txt"), log = JoinPath(scratch, "setup.log");
    ASSERT_TRUE(WriteFile(other, "keep"));
    ASSERT_TRUE(CreateHardLinkA(log.c_str(), other.c_str(), nullptr));
    ForgetInstallation();
    ASSERT_EQ(Unattended(exe, {"-d" + dest, "/S", "/LOG=" + log}), 0);
    EXPECT_EQ(ReadFile(other), "keep");
    const std::string written = ReadFile(JoinPath(scratch, "setup-2.log"));
    EXPECT_NE(written.find("Log: " + JoinPath(scratch, "setup-2.log") + " (something is at"),
              std::string::npos)
        << written;
    // The first line carries the date, and says how the log is written.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string first = written.substr(0, written.find('\r'));
    EXPECT_NE(first.find(", " + std::to_string(now.wYear) + "-"), std::string::npos) << first;
    EXPECT_EQ(first.substr(first.size() - 14), ", log in UTF-8") << first;
    EXPECT_NE(written.find("Copy: " + JoinPath(dest, "kel.exe") + ": written"), std::string::npos);

    // Installed again: the same files are replaced, and the log says so. A
    // file shared by every user that another program holds is tried again
    // as any other, then given up: the run fails.
    const std::string scheme = JoinPath(PublicFolder(), "Basic.asn");
    {
        TLockedFile shared(scheme, "held");
        ASSERT_TRUE(shared.Held());
        ASSERT_EQ(Unattended(exe, {"-d" + dest, "/S", "/LOG=" + log}), 1603);
    }
    EXPECT_EQ(ReadFile(scheme), "held");
    const std::string again = ReadFile(JoinPath(scratch, "setup-3.log"));
    for (const std::string& part :
         {"Copy: " + JoinPath(dest, "kel.exe") + ": replaced",
          "Question: Cannot create file \"" + scheme + "\". (error ", std::string("Answer: Retry"),
          "Copy: " + scheme + ": given up (Abort)", std::string("Exit code: 1603")})
        EXPECT_NE(again.find(part), std::string::npos) << part << "\n" << again;

    // A second copy with the same log while the first runs: another setup
    // runs, which deployment tools try again later.
    const std::vector<TEntry> entries = PayloadOf(exe);
    TLockedFile locked(JoinPath(dest, "Hyphenation.dat"), "old");
    ASSERT_TRUE(locked.Held());
    Launch launch;
    launch.args = {"-d" + dest, "/S", "/LOG=" + log};
    Process running(exe, launch);
    Sleep(500);
    EXPECT_EQ(Unattended(exe, {"-d" + dest, "/S", "/LOG=" + log}), 1618);
    locked.Release();
    EXPECT_EQ(running.WaitExit(60000), 0);
}

TEST(UnattendedInstall, DeploymentToolsSessionsAndOtherDesktops) {
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, SmallProduct());
    const std::string dest = JoinPath(scratch, "Quorvale");
    // A window station of its own, as a service has: nobody sees its windows.
    HWINSTA ours = GetProcessWindowStation();
    HWINSTA service = CreateWindowStationA("QvService", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_TRUE(service);
    ASSERT_TRUE(SetProcessWindowStation(service));
    HDESK serviceDesktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(ours);
    ASSERT_TRUE(serviceDesktop);
    auto inService = [&](const std::vector<std::string>& args) {
        Launch launch;
        launch.args = args;
        launch.desktop = "QvService\\Default";
        Process setup(exe, launch);
        return setup.WaitExit(120000);
    };
    ForgetInstallation();
    // Without options there is nothing to do: no wizard waits there.
    const std::string log = JoinPath(scratch, "service.log");
    EXPECT_EQ(inService({"/LOG=" + log}), 87);
    EXPECT_NE(ReadFile(log).find("the wizard is not shown"), std::string::npos);
    EXPECT_EQ(inService({"/?"}), 87);
    // A passive run there runs silently.
    EXPECT_EQ(inService({"-d" + dest, "/PASSIVE"}), 0);
    EXPECT_TRUE(FileExists(JoinPath(dest, "kel.exe")));

    // The word processor of the destination, running where the setup
    // program cannot see its windows (another user's desktop): found by
    // its program file, and nothing changes.
    HDESK other = CreateDesktopA("QvOtherUser", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_TRUE(other);
    {
        Launch launch;
        launch.desktop = "QvOtherUser";
        Process kel(JoinPath(dest, "kel.exe"), launch);
        Sleep(1000);
        ASSERT_TRUE(kel.Running());
        EXPECT_EQ(Unattended(exe, {"-d" + dest, "/CHECK"}), 1618);
        const std::string before = ReadFile(JoinPath(dest, "Install.log"));
        EXPECT_EQ(Unattended(exe, {"-d" + dest, "/S"}), 1618);
        EXPECT_EQ(ReadFile(JoinPath(dest, "Install.log")), before);
        kel.Kill();
    }
    CloseDesktop(other);
    CloseDesktop(serviceDesktop);
    CloseWindowStation(service);
}
