// The options of an installation without the wizard, as read from the
// arguments: what a run without any of them, with good ones and with bad
// ones becomes.
#include "app/command_line_options.h"

#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {
struct TCase {
    std::vector<std::string> Args;
    TRunMode Mode;
    bool Bad;
};
} // namespace

TEST(CommandLineOptions, ModesAndMistakes) {
    const TCase cases[] = {
        {{}, TRunMode::Wizard, false},
        {{"-dD:\\Tools"}, TRunMode::Wizard, false},
        {{"-dD:\\Tools", "whatever", "/x"}, TRunMode::Usage, true}, // nothing unknown starts it
        {{"/x"}, TRunMode::Usage, true},
        {{"/s"}, TRunMode::Silent, false},
        {{"-dD:\\Tools", "/S"}, TRunMode::Silent, false},
        {{"/passive", "/NoShortcut"}, TRunMode::Passive, false},
        {{"/?"}, TRunMode::Usage, false},
        {{"-dD:\\Tools", "/log=C:\\setup.log"}, TRunMode::Wizard, false}, // a log alone: the wizard
        {{"/LOG="}, TRunMode::Usage, true},
        {{"/S", "-dD:\\Tools"}, TRunMode::Silent, true}, // "-d" only as the first argument
        {{"/S", "/x"}, TRunMode::Silent, true},
        {{"/S", "/PASSIVE"}, TRunMode::Silent, true},
        {{"/S", "/S=1"}, TRunMode::Silent, true},
        {{"/COMPONENTS=1"}, TRunMode::Usage, true}, // choices need a mode without the wizard
        {{"/PASSIVE", "/COMPONENTS=6"}, TRunMode::Passive, true},
        {{"/PASSIVE", "/ASSOC=E"}, TRunMode::Passive, true},
        // The switches of other installers.
        {{"/quiet"}, TRunMode::Silent, false},
        {{"/VerySilent", "/SUPPRESSMSGBOXES", "/norestart"}, TRunMode::Silent, false},
        {{"/SILENT"}, TRunMode::Passive, false},
        {{"/NORESTART"}, TRunMode::Wizard, false},
        {{"/S/LOG=x"}, TRunMode::Usage, true},
        {{"/quiet", "/SILENT"}, TRunMode::Silent, true},
        // The dry run, silent whatever else is asked.
        {{"/CHECK"}, TRunMode::Check, false},
        {{"/PASSIVE", "/check", "/COMPONENTS=1"}, TRunMode::Check, false},
        {{"/CHECK", "/?"}, TRunMode::Check, true},
        {{"/S", "/?"}, TRunMode::Silent, true},
        // One destination only.
        {{"-dD:\\Tools", "/S", "/DIR=E:\\Apps"}, TRunMode::Silent, true},
        {{"/DIR=E:\\Apps"}, TRunMode::Wizard, false},
    };
    for (const TCase& c : cases) {
        const TCommandLineOptions options = ParseCommandLineOptions(c.Args);
        std::string args;
        for (const auto& a : c.Args)
            args += a + " ";
        EXPECT_EQ(options.Mode, c.Mode) << args;
        EXPECT_EQ(!options.Error.empty(), c.Bad) << args << options.Error;
    }
}

TEST(CommandLineOptions, ComponentsByNumberOrNameAndDocumentTypesInAnyCase) {
    TCommandLineOptions options =
        ParseCommandLineOptions({"/S", "/COMPONENTS=3, clip LIBRARY", "/assoc=dB", "/CURRENTUSER"});
    ASSERT_TRUE(options.Error.empty()) << options.Error;
    ASSERT_TRUE(options.Components);
    EXPECT_EQ(options.Components->Bits(), 1u | 8u | 16u); // the program always
    ASSERT_TRUE(options.DocumentTypes);
    EXPECT_EQ(options.DocumentTypes->Letters(), "BD");
    EXPECT_TRUE(options.CurrentUserOnly);
    EXPECT_FALSE(options.NoDesktopShortcut);

    options = ParseCommandLineOptions({"/S", "/COMPONENTS=", "/ASSOC="});
    ASSERT_TRUE(options.Error.empty()) << options.Error;
    EXPECT_EQ(options.Components->Bits(), 1u);
    EXPECT_EQ(options.DocumentTypes->Letters(), "");
}

TEST(CommandLineOptions, DestinationsInEveryFormTheirUsersType) {
    struct {
        const char* CommandLine;
        const char* Destination;
        const char* Switch;
    } const cases[] = {
        {"setup.exe -dD:\\Tools /S", "D:\\Tools", "-d"},
        {"setup.exe \"-dD:\\Program Files\\Q\" /S", "D:\\Program Files\\Q", "-d"},
        {"setup.exe \"-d\" /S", "", "-d"}, // empty: refused later, not ignored
        {"setup.exe /S /dir=\"E:\\My Apps\\Q\"", "E:\\My Apps\\Q", "/DIR="},
        // Last on the line, unquoted, blanks and all (and trailing blanks gone).
        {"setup.exe /S /D=E:\\My Apps\\Q  ", "E:\\My Apps\\Q", "/D="},
        {"setup.exe /S /d=\"E:\\My Apps\\Q\"", "E:\\My Apps\\Q", "/D="},
    };
    for (const auto& c : cases) {
        const TCommandLineOptions options = ParseCommandLineOptions(Arguments(c.CommandLine));
        EXPECT_TRUE(options.Error.empty()) << c.CommandLine << ": " << options.Error;
        ASSERT_TRUE(options.Destination) << c.CommandLine;
        EXPECT_EQ(*options.Destination, c.Destination) << c.CommandLine;
        EXPECT_EQ(options.DestinationSwitch, c.Switch) << c.CommandLine;
    }
    // Anything after /D= belongs to the folder.
    const TCommandLineOptions options = ParseCommandLineOptions(Arguments("setup.exe /D=E:\\Q /S"));
    EXPECT_EQ(options.Mode, TRunMode::Wizard);
    EXPECT_EQ(*options.Destination, "E:\\Q /S");
}
