// The choices a run leaves in the registry and the next run starts from:
// a first run's defaults, what an installation saves, a second run, saved
// values that no longer fit, and runs that end before or during the copy.
#include "wizard_person.h"

using namespace wizard;

namespace {
constexpr char kInstallToAll[] = "Install for &anyone who uses this computer";
constexpr char kDesktop[] = "Create a &Desktop shortcut";
constexpr char kLaunch[] = "&Launch Quorvale Word Processor";
constexpr const char* kDocumentTypes[] = {"RTF Documents", "Encrypted COD Documents",
                                          "MS Word DOC Documents", "MS Word DOCX Documents"};

TRegValue Saved(const char* name) {
    return ReadValue(HKEY_CURRENT_USER, kInstallKey, name);
}

HWND DestinationEdit(const TPerson& person) {
    return FindControlByClass(person.Wizard, "Edit", 1);
}

// The association boxes' ticks, as a string of the letters A to D.
std::string TickedDocumentTypes(const TPerson& person) {
    std::string letters;
    for (int i = 0; i < 4; ++i)
        if (IsChecked(person.Control(kDocumentTypes[i]))) letters += char('A' + i);
    return letters;
}

// Closes the wizard through the quit question.
void Quit(TPerson& person) {
    EXPECT_EQ(CloseWizard(person.Setup, person.Wizard).text, kQuitQuestion);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

// The shipped spellchecker's files in the shared data folder.
std::string SpellcheckFile() {
    return JoinPath(JoinPath(PublicFolder(), "Spellcheck"), "us.zlx");
}
} // namespace

TEST(WizardSettings, AFirstRunOffersTheDefaultsAndCancellingLeavesNoValues) {
    TPerson person;
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    EXPECT_EQ(Text(DestinationEdit(person)), ProgramFilesFolder() + "\\Quorvale");
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    EXPECT_TRUE(IsChecked(person.Control(kInstallToAll)));
    EXPECT_TRUE(IsChecked(person.Control(kDesktop)));
    Quit(person);

    // Reading the settings made both keys; nothing was written into them.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kInstallKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kInternalKey));
    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, kInstallKey), std::vector<std::string>{});
    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, kInternalKey), std::vector<std::string>{});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST(WizardSettings, AFirstInstallationSavesEveryChoiceButNeverTheLastRunVersion) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kAssocTitle));
        EXPECT_EQ(TickedDocumentTypes(person), "B");
        ASSERT_TRUE(person.NextTo(kFinishTitle));
        EXPECT_TRUE(IsChecked(person.Control(kLaunch)));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, kInstallKey),
              (std::vector<std::string>{"COMPS (1.6.6.2)", "DSKSHORTCUT", "EXTENSIONS",
                                        "INSTALLTOALL", "LAUNCH", "MAINDIR"}));
    EXPECT_EQ(Saved("MAINDIR").Type, DWORD(REG_SZ));
    EXPECT_EQ(Saved("MAINDIR").Text(), dest);
    EXPECT_EQ(Saved("COMPS (1.6.6.2)").Type, DWORD(REG_DWORD));
    EXPECT_EQ(Saved("COMPS (1.6.6.2)").Number(), 2147483646u);
    EXPECT_EQ(Saved("INSTALLTOALL").Number(), 1u);
    EXPECT_EQ(Saved("DSKSHORTCUT").Number(), 1u);
    EXPECT_EQ(Saved("EXTENSIONS").Text(), "B");
    EXPECT_EQ(Saved("LAUNCH").Type, DWORD(REG_DWORD));
    EXPECT_EQ(Saved("LAUNCH").Number(), 1u);
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kInternalKey, "LastRunVer").Exists);
}

TEST(WizardSettings, ASecondRunStartsFromTheChoicesOfTheFirst) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    DeleteTree(JoinPath(PublicFolder(), "Spellcheck"));
    {
        TPerson person(SetupExe(), TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kSelCompTitle));
        Key(person.Wizard, VK_SPACE); // the list starts on the spellchecker
        ASSERT_TRUE(person.WalkTo(kStartTitle));
        ASSERT_TRUE(person.Press(kInstallToAll));
        ASSERT_TRUE(person.WalkTo(kAssocTitle));
        ASSERT_TRUE(person.Press(kDocumentTypes[0]));
        ASSERT_TRUE(person.NextTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kLaunch));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    EXPECT_EQ(Saved("COMPS (1.6.6.2)").Number(), 2147483644u);
    EXPECT_EQ(Saved("INSTALLTOALL").Number(), 0u);
    EXPECT_EQ(Saved("DSKSHORTCUT").Number(), 1u);
    EXPECT_EQ(Saved("EXTENSIONS").Text(), "AB");
    EXPECT_EQ(Saved("LAUNCH").Number(), 0u);
    EXPECT_FALSE(FileExists(SpellcheckFile()));

    // Again, without a "-d", changing nothing.
    TPerson person;
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    EXPECT_EQ(Text(DestinationEdit(person)), dest);
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    EXPECT_FALSE(IsChecked(person.Control(kInstallToAll)));
    EXPECT_TRUE(IsChecked(person.Control(kDesktop)));
    ASSERT_TRUE(person.WalkTo(kAssocTitle));
    EXPECT_EQ(TickedDocumentTypes(person), "AB");
    ASSERT_TRUE(person.NextTo(kFinishTitle));
    EXPECT_FALSE(IsChecked(person.Control(kLaunch)));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    // The spellchecker stayed out; the rest was installed again.
    EXPECT_FALSE(FileExists(SpellcheckFile()));
    EXPECT_TRUE(FileExists(JoinPath(dest, "kel.exe")));
    EXPECT_EQ(Saved("COMPS (1.6.6.2)").Number(), 2147483644u);
    EXPECT_EQ(Saved("MAINDIR").Text(), dest);
}

TEST(WizardSettings, ASavedFolderThatIsGoneGivesTheDefaultAndADArgumentWinsOverAnyFolder) {
    const std::string scratch = ScratchDir();
    WriteText(HKEY_CURRENT_USER, kInstallKey, "MAINDIR", JoinPath(scratch, "Gone"));
    {
        TPerson person;
        ASSERT_TRUE(person.WalkTo(kDestDirTitle));
        EXPECT_EQ(Text(DestinationEdit(person)), ProgramFilesFolder() + "\\Quorvale");
        Quit(person);
    }
    EXPECT_EQ(Saved("MAINDIR").Text(), JoinPath(scratch, "Gone")); // not written back

    WriteText(HKEY_CURRENT_USER, kInstallKey, "MAINDIR", scratch);
    {
        TPerson person;
        ASSERT_TRUE(person.WalkTo(kDestDirTitle));
        EXPECT_EQ(Text(DestinationEdit(person)), scratch);
        Quit(person);
    }
    {
        TPerson person(SetupExe(), TPerson::Into("D:\\Tools\\Writer"));
        ASSERT_TRUE(person.WalkTo(kDestDirTitle));
        EXPECT_EQ(Text(DestinationEdit(person)), "D:\\Tools\\Writer");
        Quit(person);
    }
}

TEST(WizardSettings, SavedDocumentTypesInAnyOrderTickTheirBoxesAndComeBackInOrder) {
    WriteText(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS", "DB");
    WriteNumber(HKEY_CURRENT_USER, kInstallKey, "LAUNCH", 0);
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kAssocTitle));
    EXPECT_EQ(TickedDocumentTypes(person), "BD");
    ASSERT_TRUE(person.NextTo(kFinishTitle));
    EXPECT_FALSE(IsChecked(person.Control(kLaunch)));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(Saved("EXTENSIONS").Text(), "BD");
    EXPECT_EQ(StartsLog(1), std::vector<std::string>{"\"" + JoinPath(dest, "kel.exe") +
                                                     "\" -assoc adpr_cod_docx"});
}

TEST(WizardSettings, CancellingBeforeTheCopyKeepsWhatAnEarlierRunSaved) {
    const std::string earlier = ScratchDir();
    WriteText(HKEY_CURRENT_USER, kInstallKey, "MAINDIR", earlier);
    WriteNumber(HKEY_CURRENT_USER, kInstallKey, "COMPS (1.6.6.2)", 0x45);
    WriteNumber(HKEY_CURRENT_USER, kInstallKey, "INSTALLTOALL", 0);
    WriteText(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS", "C");
    const std::vector<std::string> before = ValueNames(HKEY_CURRENT_USER, kInstallKey);

    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir("elsewhere"), "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    EXPECT_FALSE(IsChecked(person.Control(kInstallToAll)));
    ASSERT_TRUE(person.Press(kInstallToAll));
    ASSERT_TRUE(person.Press(kCancel));
    const Message question = person.Question();
    ASSERT_EQ(question.text, kQuitQuestion);
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);

    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, kInstallKey), before);
    EXPECT_EQ(Saved("MAINDIR").Text(), earlier);
    EXPECT_EQ(Saved("COMPS (1.6.6.2)").Number(), 0x45u);
    EXPECT_EQ(Saved("INSTALLTOALL").Number(), 0u);
    EXPECT_EQ(Saved("EXTENSIONS").Text(), "C");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST(WizardSettings, AbortingDuringTheCopySavesTheChoicesTheEntryAndTheLog) {
    std::vector<TEntry> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back({"Templates\\Many\\T" + std::to_string(i) + ".kwt", 45000.5, "template"});
    const std::string scratch = ScratchDir();
    const std::string exe = SetupWithExtraEntries(scratch, many);
    const std::string dest = JoinPath(scratch, "Quorvale");
    // Bits above the six components are kept as they were.
    // The templates are ticked so that the copy takes its time.
    WriteNumber(HKEY_CURRENT_USER, kInstallKey, "COMPS (1.6.6.2)", 0x8000010Bu);
    WriteText(HKEY_CURRENT_USER, kInstallKey, "EXTENSIONS", "DA");

    TPerson person(exe, TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    PostMessageA(person.Control(kNext), BM_CLICK, 0, 0);
    PostMessageA(person.Wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
    const Message question = person.Question();
    ASSERT_EQ(question.text, kQuitQuestion);
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);

    EXPECT_EQ(Saved("MAINDIR").Text(), dest);
    EXPECT_EQ(Saved("COMPS (1.6.6.2)").Number(), 0x8000010Au); // row 0 grayed, not ticked
    EXPECT_EQ(Saved("EXTENSIONS").Text(), "DA");               // the finish page was not reached
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon").Text(),
              JoinPath(dest, "kel.exe"));
    EXPECT_TRUE(FileExists(JoinPath(dest, "Install.log")));
    // No shortcut: that is the finish page's work.
    EXPECT_FALSE(FileExists(LinkPath(false, true)));
    EXPECT_EQ(StartsLog(0), std::vector<std::string>{});
    DeleteTree(JoinPath(PublicFolder(), "Templates\\Many"));
}
