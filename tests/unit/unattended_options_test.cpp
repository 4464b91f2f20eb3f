// The options of an installation without the wizard, as read from the
// arguments: what a run without any of them, with good ones and with bad
// ones becomes.
#include "app/unattended_options.h"

#include <gtest/gtest.h>

namespace {
struct TCase {
    std::vector<std::string> Args;
    TRunMode Mode;
    bool Bad;
};
} // namespace

TEST(UnattendedOptions, ModesAndMistakes) {
    const TCase cases[] = {
        {{}, TRunMode::Wizard, false},
        {{"-dD:\\Tools"}, TRunMode::Wizard, false},
        {{"-dD:\\Tools", "whatever", "/x"}, TRunMode::Wizard, false}, // as ever: ignored
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
    };
    for (const TCase& c : cases) {
        const TUnattendedOptions options = ParseUnattendedOptions(c.Args);
        std::string args;
        for (const auto& a : c.Args)
            args += a + " ";
        EXPECT_EQ(options.Mode, c.Mode) << args;
        EXPECT_EQ(!options.Error.empty(), c.Bad) << args << options.Error;
    }
}

TEST(UnattendedOptions, ComponentsByNumberOrNameAndDocumentTypesInAnyCase) {
    TUnattendedOptions options =
        ParseUnattendedOptions({"/S", "/COMPONENTS=3, clip LIBRARY", "/assoc=dB", "/CURRENTUSER"});
    ASSERT_TRUE(options.Error.empty()) << options.Error;
    ASSERT_TRUE(options.Components);
    EXPECT_EQ(*options.Components, 1u | 8u | 16u); // the program always
    ASSERT_TRUE(options.Extensions);
    EXPECT_EQ(*options.Extensions, "BD");
    EXPECT_TRUE(options.CurrentUserOnly);
    EXPECT_FALSE(options.NoDesktopShortcut);

    options = ParseUnattendedOptions({"/S", "/COMPONENTS=", "/ASSOC="});
    ASSERT_TRUE(options.Error.empty()) << options.Error;
    EXPECT_EQ(*options.Components, 1u);
    EXPECT_EQ(*options.Extensions, "");
}
