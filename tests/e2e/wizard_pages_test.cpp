// The wizard's pages as a person walks them: titles, texts, the three
// buttons, the licence and its question, the quit question, Enter and Esc.
#include "wizard_person.h"

#include <commctrl.h>

using namespace wizard;

namespace {
// The licence as the wizard shows it: the payload's lines joined by CR LF.
std::string LicenceAsShown() {
    const auto entries = PayloadOf(SetupExe());
    const TEntry* licence = FindEntry(entries, "License.txt");
    if (!licence) return "";
    std::string shown;
    const std::string& d = licence->Data;
    for (size_t i = 0; i < d.size(); ++i) {
        if (d[i] == '\r' || d[i] == '\n') {
            if (d[i] == '\r' && i + 1 < d.size() && d[i + 1] == '\n') ++i;
            if (i + 1 < d.size()) shown += "\r\n";
        } else {
            shown.push_back(d[i]);
        }
    }
    return shown;
}

// A row of a list box of the program (read wide: Wine hands list texts to
// another process in UTF-16 only).
std::string ListRow(HWND list, int row) {
    wchar_t wide[128] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, row, 0) >= 128) return "(too long)";
    SendMessageW(list, LB_GETTEXT, row, LPARAM(wide));
    char text[256] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

struct TButtons {
    bool BackShown, BackEnabled;
    std::string NextCaption;
    bool NextEnabled, CancelEnabled;
};

void ExpectButtons(const TPerson& person, const TButtons& b) {
    SCOPED_TRACE(person.Page());
    EXPECT_EQ(person.Shown(kBack), b.BackShown);
    if (b.BackShown) {
        EXPECT_EQ(person.Enabled(kBack), b.BackEnabled);
    }
    ASSERT_TRUE(person.Shown(b.NextCaption));
    EXPECT_EQ(person.Enabled(b.NextCaption), b.NextEnabled);
    EXPECT_EQ(person.Enabled(kCancel), b.CancelEnabled);
}
} // namespace

// ---------------------------------------------------------------- the way through

TEST(WizardPages, EveryPageShowsItsTitleTextsAndButtons) {
    const std::string destination = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(destination));
    ASSERT_TRUE(person.Wizard);

    EXPECT_EQ(person.Page(), kWelcomeTitle);
    EXPECT_TRUE(TryFindControl(person.Wizard,
                               "This program will install Quorvale Word Processor (version "
                               "3.3.3.1) on your computer.\r\r\r\r\rClick Next to continue. Click "
                               "Cancel to quit Setup."));
    ExpectButtons(person, {false, false, kNext, true, true});

    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    EXPECT_TRUE(person.Shown("Please read the following License Agreement:"));
    HWND memo = FindControlByClass(person.Wizard, "Edit", 0);
    EXPECT_EQ(Text(memo), LicenceAsShown());
    EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(
        IsChecked(person.Control("I &accept all the terms of the above License Agreement")));
    ExpectButtons(person, {true, true, kNext, true, true});

    ASSERT_TRUE(person.NextTo(kDestDirTitle));
    EXPECT_TRUE(
        person.Shown("Specify the &folder where you want to install Quorvale Word Processor:"));
    EXPECT_EQ(Text(FindControlByClass(person.Wizard, "Edit", 1)), destination);
    ExpectButtons(person, {true, true, kNext, true, true});

    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    EXPECT_TRUE(person.Shown("Uncheck boxes for the &components that you do not wish to install or "
                             "upgrade (the required disk space is displayed on the right):"));
    EXPECT_TRUE(person.Shown("Required disk space:"));
    EXPECT_TRUE(person.Shown("Available disk space:"));
    HWND list = FindControlByClass(person.Wizard, "ListBox", 1); // after the folder list
    const char* const rows[] = {
        "Quorvale Word Processor", "English spellchecker", "Hyphenation module",
        "Document templates",      "Clip library",         "Basic sound scheme"};
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 6);
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(ListRow(list, row), rows[row]);
    // The keyboard starts on the first optional component.
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
    ExpectButtons(person, {true, true, kNext, true, true});

    ASSERT_TRUE(person.NextTo(kStartTitle));
    EXPECT_TRUE(
        person.Shown("You are now ready to install Quorvale Word Processor.\r\rClick Next to "
                     "begin installation. Click Back if you want to review or change "
                     "installation settings."));
    EXPECT_TRUE(IsChecked(person.Control("Install for &anyone who uses this computer")));
    EXPECT_TRUE(IsChecked(person.Control("Create a &Desktop shortcut")));
    ExpectButtons(person, {true, true, kNext, true, true});

    ASSERT_TRUE(person.Press(kNext));
    ASSERT_TRUE(person.WaitPage(kAssocTitle, 120000));
    EXPECT_TRUE(person.Shown("Please check the document types that you want to associate with "
                             "Quorvale Word Processor:"));
    // Only the encrypted documents, as on a first run.
    EXPECT_FALSE(IsChecked(person.Control("RTF Documents")));
    EXPECT_TRUE(IsChecked(person.Control("Encrypted COD Documents")));
    EXPECT_FALSE(IsChecked(person.Control("MS Word DOC Documents")));
    EXPECT_FALSE(IsChecked(person.Control("MS Word DOCX Documents")));
    ExpectButtons(person, {true, false, kNext, true, true});
    // The progress bar stands full (the second bar: the Welcome page's own
    // comes first).
    HWND bar = FindControlByClass(person.Wizard, "msctls_progress32", 1);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), SendMessageA(bar, PBM_GETRANGE, FALSE, 0));

    ASSERT_TRUE(person.NextTo(kFinishTitle));
    EXPECT_TRUE(person.Shown("Quorvale Word Processor 3.3.3.1 has been successfully installed on "
                             "your system.\r\rClick Finish to exit this Setup."));
    EXPECT_TRUE(IsChecked(person.Control("&Launch Quorvale Word Processor")));
    ExpectButtons(person, {true, false, kFinish, true, false});

    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardPages, BackAndNextMoveOnePageAtATime) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    ASSERT_TRUE(person.NextTo(kDestDirTitle));
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    ASSERT_TRUE(person.NextTo(kStartTitle));
    for (const char* title : {kSelCompTitle, kDestDirTitle, kLicenseTitle, kWelcomeTitle}) {
        ASSERT_TRUE(person.Press(kBack));
        ASSERT_TRUE(person.WaitPage(title));
    }
    EXPECT_FALSE(person.Shown(kBack));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    EXPECT_TRUE(person.Alone());
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardPages, EnterPressesNext) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    Key(person.Wizard, VK_RETURN);
    EXPECT_TRUE(person.WaitPage(kLicenseTitle));
    Key(person.Wizard, VK_RETURN);
    EXPECT_TRUE(person.WaitPage(kDestDirTitle));
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

// ---------------------------------------------------------------- the licence

TEST(WizardLicence, UntickedNextAsksThenNoStaysAndYesEndsWithNothingInstalled) {
    const std::string destination = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(destination));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    HWND accept = person.Control("I &accept all the terms of the above License Agreement");
    ASSERT_TRUE(Click(accept));
    ASSERT_FALSE(IsChecked(accept));

    ASSERT_TRUE(person.Press(kNext));
    Message question = person.Question();
    EXPECT_EQ(question.caption, "Information");
    EXPECT_EQ(question.text, kLicenseQuestion);
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    ASSERT_TRUE(Answer(question, "&No"));
    EXPECT_EQ(person.Page(), kLicenseTitle);
    EXPECT_FALSE(IsChecked(accept));
    EXPECT_TRUE(person.Enabled(kBack));
    EXPECT_TRUE(person.Enabled(kNext));
    EXPECT_TRUE(person.Alone());

    ASSERT_TRUE(person.Press(kNext));
    question = person.Question();
    ASSERT_TRUE(Answer(question, "&Yes"));
    // No quit question follows.
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(GetFileAttributesA(destination.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WizardLicence, EscOnTheLicenceQuestionAnswersNo) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    ASSERT_TRUE(Click(person.Control("I &accept all the terms of the above License Agreement")));
    ASSERT_TRUE(person.Press(kNext));
    const Message question = person.Question();
    ASSERT_EQ(question.text, kLicenseQuestion);
    Key(question.window, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(question.window));
    EXPECT_EQ(person.Page(), kLicenseTitle);
    EXPECT_TRUE(person.Alone());

    // Ticked again, Next goes on.
    ASSERT_TRUE(Click(person.Control("I &accept all the terms of the above License Agreement")));
    EXPECT_TRUE(person.NextTo(kDestDirTitle));
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

namespace {
// A setup program whose payload lacks the licence.
std::string SetupWithoutLicence(const std::string& folder) {
    std::vector<TEntry> entries;
    for (const auto& e : PayloadOf(SetupExe()))
        if (lstrcmpiA(e.Name.c_str(), "License.txt") != 0) entries.push_back(e);
    return SetupWithEntries(folder, entries);
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}
} // namespace

TEST(WizardLicence, ALicenceThatCannotBeWrittenAsksAndAbortEndsTheWizardQuietly) {
    const std::string scratch = ScratchDir();
    TPerson person(SetupWithoutLicence(scratch), TPerson::Into(JoinPath(scratch, "Quorvale")));
    ASSERT_TRUE(person.Press(kNext));
    const Message question = person.Question();
    EXPECT_EQ(question.caption, "Error");
    EXPECT_TRUE(StartsWith(question.text, "Cannot create file \"")) << question.text;
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Abort", "&Retry", "&Ignore"}));
    // Next and Cancel wait while the licence is being written.
    EXPECT_FALSE(person.Enabled(kNext));
    EXPECT_FALSE(person.Enabled(kCancel));
    ASSERT_TRUE(Answer(question, "&Abort"));
    // No message of the wizard's own and no quit question.
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardLicence, ALicenceIgnoredLeavesTheLicencePageEmptyButUsable) {
    const std::string scratch = ScratchDir();
    TPerson person(SetupWithoutLicence(scratch), TPerson::Into(JoinPath(scratch, "Quorvale")));
    ASSERT_TRUE(person.Press(kNext));
    const Message question = person.Question();
    ASSERT_TRUE(Answer(question, "&Ignore"));
    ASSERT_TRUE(person.WaitPage(kLicenseTitle));
    EXPECT_EQ(Text(FindControlByClass(person.Wizard, "Edit", 0)), "");
    EXPECT_TRUE(person.Enabled(kNext));
    EXPECT_TRUE(person.Enabled(kCancel));
    EXPECT_TRUE(person.NextTo(kDestDirTitle));
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

// ---------------------------------------------------------------- quitting

TEST(WizardQuit, EscAsksTheQuitQuestionWhereEscAnswersNo) {
    const std::string destination = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(destination));
    Key(person.Wizard, VK_ESCAPE);
    Message question = person.Question();
    EXPECT_EQ(question.caption, "Confirm");
    EXPECT_EQ(question.text, kQuitQuestion);
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&No", "&Abort"}));
    Key(question.window, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(question.window));
    EXPECT_EQ(person.Page(), kWelcomeTitle);
    EXPECT_TRUE(person.Alone());

    // Cancel asks the same; Abort ends the wizard and leaves no trace.
    ASSERT_TRUE(person.Press(kCancel));
    question = person.Question();
    EXPECT_EQ(question.text, kQuitQuestion);
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_EQ(GetFileAttributesA(destination.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WizardQuit, TheCloseBoxAsksOnEveryPageBeforeTheInstallation) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    for (const char* title :
         {kWelcomeTitle, kLicenseTitle, kDestDirTitle, kSelCompTitle, kStartTitle}) {
        ASSERT_TRUE(person.WalkTo(title));
        Close(person.Wizard);
        const Message question = person.Question();
        EXPECT_EQ(question.text, kQuitQuestion) << title;
        ASSERT_TRUE(Answer(question, "&No"));
        EXPECT_EQ(person.Page(), title);
    }
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardQuit, OnTheFinishPageCancelIsDisabledButTheCloseBoxStillAsks) {
    const std::string destination = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(destination));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    EXPECT_FALSE(person.Enabled(kCancel));
    // Esc presses Cancel only while it is enabled.
    Key(person.Wizard, VK_ESCAPE);
    EXPECT_TRUE(person.Alone());

    Close(person.Wizard);
    Message question = person.Question();
    EXPECT_EQ(question.text, kQuitQuestion);
    ASSERT_TRUE(Answer(question, "&No"));
    EXPECT_EQ(person.Page(), kFinishTitle);

    Close(person.Wizard);
    question = person.Question();
    ASSERT_TRUE(Answer(question, "&Abort"));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    // The installation had been started: its log is written all the same.
    EXPECT_TRUE(FileExists(JoinPath(destination, "Install.log")));
}

// ---------------------------------------------------------------- the destination

TEST(WizardDestination, TypedTextIsTakenOverWithoutBlanksAndTrailingBackslash) {
    const std::string destination = JoinPath(ScratchDir(), "Typed");
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir("elsewhere"), "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    HWND edit = FindControlByClass(person.Wizard, "Edit", 1);
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
    Type(edit, "  " + destination + "\\  ");
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    ASSERT_TRUE(person.Press(kBack));
    ASSERT_TRUE(person.WaitPage(kDestDirTitle));
    EXPECT_EQ(Text(edit), destination);

    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_TRUE(FileExists(JoinPath(destination, "kel.exe")));
    EXPECT_TRUE(FileExists(JoinPath(destination, "Install.log")));
}

// ---------------------------------------------------------------- accelerators

namespace {
// Alt with a letter, as the keyboard delivers it to the focused control.
void AltKey(HWND wizard, char letter) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = wizard;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(wizard, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    PostMessageA(target, WM_SYSCHAR, WPARAM(letter), LPARAM(1) | (LPARAM(1) << 29));
    Settle(wizard);
}
} // namespace

TEST(WizardPages, AltWithAnUnderlinedLetterWorksOnTheShownPageOnly) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    HWND accept = person.Control("I &accept all the terms of the above License Agreement");
    AltKey(person.Wizard, 'a');
    EXPECT_FALSE(IsChecked(accept));
    AltKey(person.Wizard, 'a');
    ASSERT_TRUE(IsChecked(accept));

    ASSERT_TRUE(person.WalkTo(kStartTitle));
    HWND anyone = person.Control("Install for &anyone who uses this computer");
    AltKey(person.Wizard, 'a');
    EXPECT_FALSE(IsChecked(anyone));
    EXPECT_TRUE(IsChecked(accept));
    // Alt+N presses Next.
    AltKey(person.Wizard, 'n');
    EXPECT_TRUE(person.WaitPage(kAssocTitle, 120000));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}
