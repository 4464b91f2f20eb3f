// The wizard does not go on to the licence, nor start the installation,
// while the word processor runs.
#include "wizard_person.h"

using namespace wizard;

namespace {
void ExpectRunningMessage(const Message& message) {
    EXPECT_EQ(message.caption, "Information");
    EXPECT_EQ(message.text, kRunningMessage);
    EXPECT_EQ(message.buttons, std::vector<std::string>{"OK"});
}
} // namespace

TEST(WizardRunningWordProcessor, StopsNextOnTheWelcomePageUntilItIsClosed) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    TWordProcessor word;
    REQUIRE_MARKED(word);

    ASSERT_TRUE(person.Press(kNext));
    Message message = person.Question();
    ExpectRunningMessage(message);
    ASSERT_TRUE(Answer(message, "OK"));
    EXPECT_EQ(person.Page(), kWelcomeTitle);
    EXPECT_TRUE(person.Alone());

    // Asked again on every attempt.
    ASSERT_TRUE(person.Press(kNext));
    message = person.Question();
    ExpectRunningMessage(message);
    ASSERT_TRUE(Answer(message, "OK"));
    EXPECT_EQ(person.Page(), kWelcomeTitle);

    word.Close();
    EXPECT_TRUE(person.NextTo(kLicenseTitle));
    EXPECT_FALSE(Text(FindControlByClass(person.Wizard, "Edit", 0)).empty());
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardRunningWordProcessor, IsNotLookedForAgainOnceTheLicenceIsLoaded) {
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    HWND memo = FindControlByClass(person.Wizard, "Edit", 0);
    const std::string licence = Text(memo);
    ASSERT_TRUE(person.Press(kBack));
    ASSERT_TRUE(person.WaitPage(kWelcomeTitle));

    TWordProcessor word;
    REQUIRE_MARKED(word);
    // Back on the licence page without a message: the licence is not
    // loaded again, so nothing is checked.
    ASSERT_TRUE(person.NextTo(kLicenseTitle));
    EXPECT_TRUE(person.Alone());
    EXPECT_EQ(Text(memo), licence);
    ASSERT_TRUE(person.NextTo(kDestDirTitle));
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

TEST(WizardRunningWordProcessor, StopsNextOnTheReadyPageEveryTimeAndInstallsNothing) {
    const std::string dest = JoinPath(ScratchDir(), "Quorvale");
    TPerson person(SetupExe(), TPerson::Into(dest));
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    TWordProcessor word;
    REQUIRE_MARKED(word);

    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_TRUE(person.Press(kNext));
        const Message message = person.Question();
        ExpectRunningMessage(message);
        ASSERT_TRUE(Answer(message, "OK"));
        EXPECT_EQ(person.Page(), kStartTitle);
        EXPECT_TRUE(person.Enabled(kBack));
        EXPECT_TRUE(person.Enabled(kNext));
    }
    // Nothing planned, nothing written.
    EXPECT_EQ(GetFileAttributesA(dest.c_str()), INVALID_FILE_ATTRIBUTES);

    word.Close();
    ASSERT_TRUE(person.Press(kNext));
    ASSERT_TRUE(person.WaitPage(kAssocTitle, 120000));
    EXPECT_TRUE(FileExists(JoinPath(dest, "kel.exe")));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}
