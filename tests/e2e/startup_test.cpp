// Start-up of setup.exe as a person sees it: the wizard comes up and closes,
// Windows versions before 2000 are refused, a damaged setup program says so.
#include "e2e.h"

#include "payload/payload_format.h"

#include <gtest/gtest.h>
#include <sddl.h>

using namespace e2e;

namespace {
constexpr char kTitle[] = "Quorvale Word Processor - Setup";
constexpr char kWelcomeTitle[] = "Welcome to the Quorvale Word Processor Setup";

// Starts a setup program, expects the wizard as its only window, closes it
// with the close box and expects exit code 0.
void ExpectWizardThenCleanExit(const std::string& exe) {
    Process setup(exe);
    HWND wizard = setup.WaitWindow(kTitle);
    ASSERT_TRUE(wizard);
    EXPECT_EQ(setup.Windows(), std::vector<HWND>{wizard}) << setup.Describe();
    CloseWizard(setup, wizard);
    EXPECT_EQ(setup.WaitExit(), 0);
}

// Starts a setup program that must end with one message box with an OK
// button (the wizard, if it came, gone by then); presses OK and expects
// exit code 0.
Message ExpectSingleMessageThenCleanExit(const std::string& exe) {
    Process setup(exe);
    Message message = WaitStartupMessage(setup);
    if (!message.window) return message;
    EXPECT_EQ(message.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(setup.Windows(), std::vector<HWND>{message.window}) << setup.Describe();
    Answer(message, "OK");
    EXPECT_EQ(setup.WaitExit(), 0);
    return message;
}

// A copy of setup.exe in the test's scratch folder, with another payload.
std::string SetupWithPayload(const std::string& payload) {
    const std::string exe = JoinPath(ScratchDir(), "setup.exe");
    return MakeSetupCopy(exe, &payload) ? exe : std::string();
}

std::string ShippedPayload() {
    bool found = false;
    std::string payload = ReadResource(SetupExe(), "FILES", "FILES", &found);
    if (!found) Fail("setup.exe has no payload resource");
    return payload;
}

std::string Entry(const std::string& name, const std::string& data) {
    std::vector<uint8_t> out;
    payload::AppendEntry(out, name, 45000.5, reinterpret_cast<const uint8_t*>(data.data()),
                         uint32_t(data.size()));
    return std::string(out.begin(), out.end());
}
} // namespace

TEST(Startup, ShowsTheWizardAndEndsWithExitCodeZeroWhenItIsClosed) {
    ExpectWizardThenCleanExit(SetupExe());
}

// A second copy started while a first runs says so in a message of its own
// and, once it is answered, ends with 1618, having changed nothing.
void ExpectSetupAlreadyRuns(const std::string& exe) {
    Process second(exe);
    const Message message = WaitStartupMessage(second);
    ASSERT_TRUE(message.window);
    EXPECT_EQ(message.caption, kTitle);
    EXPECT_NE(message.text.find("Setup is already running."), std::string::npos) << message.text;
    EXPECT_EQ(second.Windows(), std::vector<HWND>{message.window}) << second.Describe();
    Answer(message, "OK");
    EXPECT_EQ(second.WaitExit(), 1618);
}

// One setup at a time: a second copy, started while the first shows its
// wizard, shows no wizard of its own; the first goes on as before.
TEST(Startup, ASecondCopySaysSetupRunsAndLeavesTheFirstAlone) {
    Process first(SetupExe());
    HWND wizard = first.WaitWindow(kTitle);
    ASSERT_TRUE(wizard);
    ExpectSetupAlreadyRuns(SetupExe());
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Windows(), std::vector<HWND>{wizard}) << first.Describe();
    // Once the first has ended, a setup program starts as usual.
    CloseWizard(first, wizard);
    EXPECT_EQ(first.WaitExit(), 0);
    ExpectWizardThenCleanExit(SetupExe());
}

// Any user may make the setup's machine-wide name first. One whose owner is
// no administrator (here the test's, owned by the users' group) keeps no
// administrator's setup out, and its log says so; two administrators'
// setups still keep each other out.
TEST(Startup, ANameNoAdministratorMadeKeepsNoSetupOutButTheSecondStillIs) {
    PSECURITY_DESCRIPTOR users = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "O:BUD:(A;;GA;;;WD)", SDDL_REVISION_1, &users, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, users, FALSE};
    HANDLE planted = CreateMutexA(&attributes, FALSE, "Global\\QuorvaleWordProcessorSetup.Running");
    LocalFree(users);
    ASSERT_TRUE(planted);
    const std::string log = JoinPath(ScratchDir(), "setup.log");
    Launch launch;
    launch.args = {"/LOG=" + log};
    Process first(SetupExe(), launch);
    HWND wizard = first.WaitWindow(kTitle);
    ASSERT_TRUE(wizard);
    ExpectSetupAlreadyRuns(SetupExe());
    CloseWizard(first, wizard);
    EXPECT_EQ(first.WaitExit(), 0);
    CloseHandle(planted);
    EXPECT_NE(ReadFile(log).find("Single setup: the name of a running setup is held by no "
                                 "administrator: ignored"),
              std::string::npos)
        << ReadFile(log);
}

// Wine reports the chosen Windows version to a copy of setup.exe under a
// name of its own.
class StartupOnWindows : public testing::TestWithParam<const char*> {
  protected:
    std::string SetupCopy() {
        const std::string exe = JoinPath(ScratchDir(), std::string("setup_") + GetParam() + ".exe");
        return MakeSetupCopy(exe) ? exe : std::string();
    }
};

class StartupOnOldWindows : public StartupOnWindows {};

TEST_P(StartupOnOldWindows, RefusesWithTheSystemMessageAndExitCodeZero) {
    const std::string exe = SetupCopy();
    ASSERT_FALSE(exe.empty());
    WineWindowsVersion version(FileName(exe), GetParam());
    const Message message = ExpectSingleMessageThenCleanExit(exe);
    ASSERT_TRUE(message.window);
    EXPECT_EQ(message.text, "This program requires Windows 2000 or later.");
    // No caption of its own: the system's default one.
    EXPECT_NE(message.caption, kTitle);
}

INSTANTIATE_TEST_SUITE_P(Startup, StartupOnOldWindows,
                         testing::Values("win95", "win98", "winme", "nt40"));

class StartupOnWindows2000AndLater : public StartupOnWindows {};

TEST_P(StartupOnWindows2000AndLater, ShowsTheWizard) {
    const std::string exe = SetupCopy();
    ASSERT_FALSE(exe.empty());
    WineWindowsVersion version(FileName(exe), GetParam());
    ExpectWizardThenCleanExit(exe);
}

INSTANTIATE_TEST_SUITE_P(Startup, StartupOnWindows2000AndLater,
                         testing::Values("win2k", "winxp", "win10"));

// A damaged payload: our own message box names the damage, then the program
// ends with exit code 0; no page but Welcome was ever shown.
struct DamagedPayload {
    const char* name;
    std::string (*make)();
    const char* reason;
};

class StartupWithDamagedPayload : public testing::TestWithParam<DamagedPayload> {};

TEST_P(StartupWithDamagedPayload, ShowsTheDamageMessageAndExitCodeZero) {
    const std::string payload = GetParam().make();
    ASSERT_FALSE(HasFatalFailure());
    const std::string exe = SetupWithPayload(payload);
    ASSERT_FALSE(exe.empty());
    const Message message = ExpectSingleMessageThenCleanExit(exe);
    ASSERT_TRUE(message.window);
    EXPECT_EQ(message.caption, kTitle);
    EXPECT_EQ(message.text.rfind("The setup program is damaged", 0), 0u) << message.text;
    EXPECT_NE(message.text.find(GetParam().reason), std::string::npos) << message.text;
}

INSTANTIATE_TEST_SUITE_P(
    Startup, StartupWithDamagedPayload,
    testing::Values(
        DamagedPayload{"FlippedBytesInTheMiddle",
                       [] {
                           std::string p = ShippedPayload();
                           for (size_t i = p.size() / 2; i < p.size() / 2 + 16 && i < p.size(); ++i)
                               p[i] = char(~p[i]);
                           return p;
                       },
                       "corrupt"},
        DamagedPayload{"StreamCutInHalf",
                       [] {
                           const std::string p = ShippedPayload();
                           return p.substr(0, p.size() / 2);
                       },
                       "ends too early"},
        DamagedPayload{"StreamWithoutItsChecksum",
                       [] {
                           const std::string p = ShippedPayload();
                           return p.substr(0, p.size() - 4);
                       },
                       "ends too early"},
        DamagedPayload{"ZeroLengthResource", [] { return std::string(); }, "ends too early"},
        DamagedPayload{"NotAZlibStream",
                       [] { return std::string("PK\x03\x04 not zlib at all", 21); }, "corrupt"},
        DamagedPayload{"LastEntryDataRunsPastTheEnd",
                       [] {
                           std::string raw = Entry("License.txt", "Terms.") +
                                             Entry("kel.exe", std::string(100, 'k'));
                           raw.resize(raw.size() - 1);
                           return Deflate(raw);
                       },
                       "runs past the end"},
        DamagedPayload{"LastEntryHeaderRunsPastTheEnd",
                       [] {
                           const std::string raw = Entry("License.txt", "Terms.") + "\x07kel.e";
                           return Deflate(raw);
                       },
                       "runs past the end"}),
    [](const testing::TestParamInfo<DamagedPayload>& info) { return info.param.name; });

TEST(Startup, ShowsTheWizardWithAnEmptyPayload) {
    const std::string exe = SetupWithPayload(Deflate(""));
    ASSERT_FALSE(exe.empty());
    ExpectWizardThenCleanExit(exe);
}

// The product's files are unpacked behind the Welcome page. A person faster
// than that (here: the unpacking held at its start) who presses Next stays
// on the Welcome page, which shows that it prepares, and no licence is read
// before the files are there; then the wizard goes on by itself.
TEST(Startup, NextBeforeTheFilesAreUnpackedWaitsOnTheWelcomePageThenGoesOn) {
    Launch launch;
    launch.holdFirstThread = true;
    Process setup(SetupExe(), launch);
    HWND wizard = setup.WaitWindow(kTitle);
    ASSERT_TRUE(wizard);
    HWND preparing = FindControl(wizard, "Preparing the installation. Please wait...");
    HWND bar = FindControlByClass(wizard, "msctls_progress32", 0);
    HWND memo = FindControlByClass(wizard, "Edit", 0);
    EXPECT_FALSE(IsVisible(preparing));
    ASSERT_TRUE(Press(wizard, "&Next >"));
    Sleep(500); // several ticks of the wizard's timer
    ASSERT_TRUE(Settle(wizard));
    EXPECT_EQ(BannerTitle(wizard), kWelcomeTitle);
    EXPECT_TRUE(IsVisible(preparing));
    EXPECT_TRUE(IsVisible(bar));
    EXPECT_FALSE(IsEnabled(FindControl(wizard, "&Next >")));
    EXPECT_TRUE(IsEnabled(FindControl(wizard, "Cancel")));
    EXPECT_EQ(Text(memo), "");

    ASSERT_TRUE(setup.ResumeHeld());
    const DWORD start = GetTickCount();
    while (BannerTitle(wizard) != "License Agreement" && GetTickCount() - start < kWait)
        Sleep(50);
    EXPECT_EQ(BannerTitle(wizard), "License Agreement");
    EXPECT_NE(Text(memo), "");
    CloseWizard(setup, wizard);
    EXPECT_EQ(setup.WaitExit(), 0);
}

// Damage found only at the end of the unpacking, while the Welcome page
// holds a Next: the wizard goes without showing another page, and the
// damage is told as ever.
TEST(Startup, DamageFoundBehindTheWelcomePageEndsTheWizardThere) {
    std::string payload = ShippedPayload();
    payload[payload.size() - 1] = char(~payload[payload.size() - 1]); // the checksum
    const std::string exe = SetupWithPayload(payload);
    ASSERT_FALSE(exe.empty());
    Launch launch;
    launch.holdFirstThread = true;
    Process setup(exe, launch);
    HWND wizard = setup.WaitWindow(kTitle);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(Press(wizard, "&Next >"));
    ASSERT_TRUE(Settle(wizard));
    EXPECT_EQ(BannerTitle(wizard), kWelcomeTitle);

    ASSERT_TRUE(setup.ResumeHeld());
    const Message message = WaitMessage(setup, wizard);
    ASSERT_TRUE(message.window);
    EXPECT_EQ(message.text.rfind("The setup program is damaged", 0), 0u) << message.text;
    EXPECT_FALSE(IsWindow(wizard));
    EXPECT_EQ(setup.Windows(), std::vector<HWND>{message.window}) << setup.Describe();
    Answer(message, "OK");
    EXPECT_EQ(setup.WaitExit(), 0);
}
