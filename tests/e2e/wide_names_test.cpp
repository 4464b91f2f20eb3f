// A user and folders whose names the ANSI code page cannot spell. The
// runner names the user (QV_USER, scripts/wine-env) in a prefix of that
// user's own; the folders are made here. Every path reaches the system as
// it is given: nothing is made under a look-alike, the product's own files
// (Install.log, the word processor's command line) name such a path by its
// short form, and the diagnostic log, which is UTF-8, names it as it is.
#include "shell_link_reader.h"
#include "wizard_person.h"

using namespace wizard;

namespace {
constexpr char kApps[] = "C:\\Apps";
const std::string kLodz = "C:\\Apps\\\xC5\x81\xC3\xB3\x64\xC5\xBA"; // "Łódź": not in 1252
const std::string kMuller = "C:\\Apps\\M\xC3\xBCller";              // "Müller": in 1252

// The text in the code page; `bestFit`: with the look-alikes the system
// would put in, else "<none>" when a character has no counterpart there.
std::string Ansi(const std::string& utf8, bool bestFit = false) {
    const std::wstring wide = Wide(utf8);
    BOOL defaulted = FALSE;
    char ansi[MAX_PATH * 2] = "";
    const int n = WideCharToMultiByte(CP_ACP, bestFit ? 0 : WC_NO_BEST_FIT_CHARS, wide.data(),
                                      int(wide.size()), ansi, sizeof ansi, nullptr,
                                      bestFit ? nullptr : &defaulted);
    return defaulted ? "<none>" : std::string(ansi, size_t(n > 0 ? n : 0));
}

std::string LongForm(const std::string& path) {
    wchar_t text[MAX_PATH] = L"";
    const DWORD n = GetLongPathNameW(Wide(path).c_str(), text, MAX_PATH);
    return n && n < MAX_PATH ? Utf8(text) : std::string();
}

// How the product's own files name a path: as it is where it fits the code
// page, else by the short form that the volume keeps for it.
std::string ProductText(const std::string& path) {
    if (Ansi(path) != "<none>") return Ansi(path);
    wchar_t text[MAX_PATH] = L"";
    const DWORD n = GetShortPathNameW(Wide(path).c_str(), text, MAX_PATH);
    return n && n < MAX_PATH ? Ansi(Utf8(text)) : "<no short form>";
}

int Unattended(const std::vector<std::string>& args, const std::string& exe = SetupExe()) {
    Launch launch;
    launch.args = args;
    Process setup(exe, launch);
    const int code = setup.WaitExit(120000);
    // The command for the document types runs alongside and would be
    // ended with the setup's Process before it has done its work.
    setup.AllExited();
    return code;
}

// An installation for everyone in `dest`, and nothing beside it in C:\Apps.
void ExpectInstalledInto(const std::string& dest) {
    const std::string kel = JoinPath(dest, "kel.exe");
    EXPECT_TRUE(FileExists(kel)) << kel;
    EXPECT_EQ(FolderNames(kApps), std::vector<std::string>{FileName(dest)});
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon").Text(), kel);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").Text(),
              "\"" + kel + "\" -ui");
    for (bool desktop : {false, true}) {
        const e2e::TShellLink link = ReadShellLink(LinkPath(desktop, true));
        EXPECT_EQ(link.Path, kel) << LinkPath(desktop, true);
        EXPECT_EQ(link.WorkingFolder, dest) << LinkPath(desktop, true);
    }
    std::string log;
    ASSERT_TRUE(ReadFile(JoinPath(dest, "Install.log"), log));
    const std::string named = ProductText(dest);
    EXPECT_NE(log.find("Made Dir: " + named + "\\\r\n"), std::string::npos) << named << "\n" << log;
    EXPECT_NE(log.find("File Copy: " + named + "\\kel.exe\r\n"), std::string::npos) << log;
    if (named != Ansi(dest)) {
        EXPECT_EQ(log.find(dest), std::string::npos) << "UTF-8 in Install.log:\n" << log;
        EXPECT_EQ(log.find(Ansi(dest, true)), std::string::npos) << "a look-alike:\n" << log;
    }
}

// The program a line of the stand-in's start record names.
std::string StartedProgram(const std::string& line) {
    if (!line.empty() && line[0] == '"') return line.substr(1, line.find('"', 1) - 1);
    return line.substr(0, line.find(' '));
}

class WideNames : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(NamedUser(), "") << "run by the runner as a user it names (QV_USER)";
        DeleteTree(kApps);
    }
    void TearDown() override {
        DeleteTree(kApps);
        // No profile of a look-alike of the user's name either.
        EXPECT_EQ(FolderNames("C:\\users"), (std::vector<std::string>{"Public", NamedUser()}));
    }
};
} // namespace

TEST_F(WideNames, TheUsersProfileHasANameOutsideTheWesternCodePage) {
    ASSERT_EQ(GetACP(), 1252u);
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    EXPECT_EQ(profile, "C:\\users\\" + NamedUser());
    EXPECT_EQ(Ansi(NamedUser()), "<none>");
    // The wizard's temporary files go there.
    EXPECT_EQ(Environment("TEMP").rfind(profile + "\\", 0), 0u) << Environment("TEMP");
}

TEST_F(WideNames, TheWizardShowsTheLicenseInstallsWhereTheNameIsTypedAndLaunchesFromThere) {
    TPerson person;
    ASSERT_TRUE(person.Wizard);
    ASSERT_TRUE(person.Press(kNext));
    // The licence goes through a temporary file in the user's folder.
    const bool license = person.WaitPage(kLicenseTitle);
    ASSERT_TRUE(license) << (person.Alone() ? std::string() : person.Question().text);
    EXPECT_EQ(Text(FindControlByClass(person.Wizard, "Edit")).rfind("QUORVALE WORD PROCESSOR", 0),
              0u);
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    HWND edit = FindControlByClass(person.Wizard, "Edit", 1);
    SendMessageW(edit, WM_SETTEXT, 0, LPARAM(L""));
    Type(edit, kLodz);
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    ASSERT_TRUE(person.Press(kBack));
    ASSERT_TRUE(person.WaitPage(kDestDirTitle));
    EXPECT_EQ(Text(edit), kLodz);
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish)); // "Launch" is ticked
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    ExpectInstalledInto(kLodz);
    // The document types' call at the finish step, then the launch.
    const std::vector<std::string> starts = StartsLog(2);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_NE(starts[0].find(" -assoc adpr"), std::string::npos) << starts[0];
    for (const std::string& line : starts)
        EXPECT_EQ(LongForm(StartedProgram(line)), JoinPath(kLodz, "kel.exe")) << line;
}

TEST_F(WideNames, UnattendedRunsInstallIntoExactlyTheFolderNamed) {
    const struct {
        std::vector<std::string> Args;
        std::string Dest;
    } cases[] = {
        {{"-d" + kLodz, "/S"}, kLodz},
        {{"/S", "/DIR=" + kLodz}, kLodz},
        {{"/S", "/DIR=" + kMuller}, kMuller}, // Install.log names it as it is
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args[0] + " " + c.Args[1]);
        DeleteTree(kApps);
        ClearProductState();
        EXPECT_EQ(Unattended(c.Args), 0);
        ExpectInstalledInto(c.Dest);
    }
}

TEST_F(WideNames, TheDiagnosticLogIsUtf8AndNamesEveryPathAsItIs) {
    const std::string folder = JoinPath(ScratchDir(), NamedUser());
    ASSERT_TRUE(MakeFolders(folder));
    const std::string log = JoinPath(folder, "setup.log");
    EXPECT_EQ(Unattended({"-d" + kLodz, "/S", "/LOG=" + log}), 0);
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"setup.log"});
    const std::string text = ReadFile(log);
    EXPECT_NE(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                                  nullptr, 0),
              0)
        << text;
    EXPECT_NE(text.substr(0, text.find('\r')).find("UTF-8"), std::string::npos) << text;
    for (const std::string& part :
         {" Log: " + log + "\r\n", "-d" + kLodz + " /S /LOG=" + log + "\r\n",
          "Copy: " + JoinPath(kLodz, "kel.exe") + ": written"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST_F(WideNames, ASetupProgramInAFolderSoNamedInstallsFromThere) {
    const std::string exe = JoinPath(JoinPath(ScratchDir(), NamedUser()), "setup.exe");
    ASSERT_TRUE(MakeFolders(exe.substr(0, exe.find_last_of('\\'))));
    ASSERT_TRUE(CopyTo(SetupExe(), exe));
    EXPECT_EQ(Unattended({"-d" + kLodz, "/S"}, exe), 0);
    ExpectInstalledInto(kLodz);
}
