#include "base/locale_text.h"
#include "payload/components.h"

#include <gtest/gtest.h>

TEST(Components, FileListsAreSeparatedBySingleCarriageReturns) {
    EXPECT_STREQ(ComponentFileLists[0], "kel.exe\rLicense.txt");
    const std::vector<std::string> english = ComponentPatterns(1);
    ASSERT_EQ(english.size(), 7u);
    EXPECT_EQ(english.front(), "English (American).asc");
    EXPECT_EQ(english.back(), "English (American).cache");
    EXPECT_EQ(ComponentPatterns(3), std::vector<std::string>{"Templates\\"});
    EXPECT_TRUE(ComponentPatterns(6).empty());
    EXPECT_STREQ(ComponentNames[4], "Clip library");
}

TEST(SameName, IgnoresLetterCaseOfEveryCharacter) {
    EXPECT_TRUE(SameName("Templates\\Letter.dot", "TEMPLATES\\letter.DOT"));
    EXPECT_TRUE(SameName("\xC3\xA4rger.txt", "\xC3\x84RGER.TXT")); // "ärger", "ÄRGER"
    EXPECT_TRUE(SameName("\xC5\x82ukasz", "\xC5\x81UKASZ"));       // "łukasz", outside 1252
    EXPECT_FALSE(SameName("\xC5\x82ukasz", "lukasz"));             // not its look-alike
    EXPECT_FALSE(SameName("abc", "abcd"));
    EXPECT_FALSE(SameName("a-c", "a_c"));
    // Entry names of the payload, in code page 1252.
    EXPECT_TRUE(SameAnsiName("\xE4rger.txt", "\xC4RGER.TXT"));
    EXPECT_FALSE(SameAnsiName("\xE4rger.txt", "arger.txt"));
}

TEST(NamePatterns, FolderPatternSelectsEverythingBelowAtAnyDepth) {
    EXPECT_TRUE(PatternMatches("Clip Library\\", "Clip Library\\a.png"));
    EXPECT_TRUE(PatternMatches("clip library\\", "Clip Library\\Images\\Bullets\\b.gif"));
    EXPECT_FALSE(PatternMatches("Clip Library\\", "Clip Library2\\a.png"));
    EXPECT_FALSE(PatternMatches("Clip Library\\", "Clip Library"));
    EXPECT_FALSE(PatternMatches("Clip Library\\", "Clip"));
}

TEST(NamePatterns, FilePatternSelectsTheWholeName) {
    EXPECT_TRUE(PatternMatches("us.zlx", "US.ZLX"));
    EXPECT_FALSE(PatternMatches("us.zlx", "us.zlx.bak"));
    EXPECT_FALSE(PatternMatches("us.zlx", "Sub\\us.zlx"));
}
