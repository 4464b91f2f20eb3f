// UTF-8 as the program holds its texts, and the UTF-16 units the system
// takes: every name the system can give comes back as itself, and bytes
// that are no UTF-8 are told apart.
#include "base/utf8_text.h"

#include <gtest/gtest.h>

namespace {
TWideText Units(std::initializer_list<unsigned> units) {
    TWideText wide;
    for (unsigned unit : units)
        wide.push_back(wchar_t(unit));
    return wide;
}
} // namespace

TEST(Utf8Text, EveryUnitSequenceGoesThereAndBackAsItself) {
    const struct {
        std::string Utf8;
        TWideText Wide;
    } cases[] = {
        {"", Units({})},
        {"C:\\Apps\\kel.exe",
         Units({'C', ':', '\\', 'A', 'p', 'p', 's', '\\', 'k', 'e', 'l', '.', 'e', 'x', 'e'})},
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", Units({0x141, 0xF3, 'd', 0x17A})}, // "Łódź"
        {"\xE7\x8E\x8B\xE8\x8A\xB3", Units({0x738B, 0x82B3})},              // "王芳"
        {"\xEF\xBF\xBF", Units({0xFFFF})},
        // A pair: one character beyond U+FFFF (U+1F4C4) and the last (U+10FFFF).
        {"\xF0\x9F\x93\x84", Units({0xD83D, 0xDCC4})},
        {"\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},
        // Units that pair with none, as file names may hold them: their own
        // three bytes each, also a pair's halves the wrong way round.
        {"a\xED\xA0\x80"
         "b",
         Units({'a', 0xD800, 'b'})},
        {"\xED\xB3\x84", Units({0xDCC4})},
        {"x\xED\xA0\xBD", Units({'x', 0xD83D})},
        {"\xED\xB3\x84\xED\xA0\xBD", Units({0xDCC4, 0xD83D})},
    };
    for (const auto& c : cases) {
        bool exact = false;
        EXPECT_EQ(WideText(c.Utf8, &exact), c.Wide) << c.Utf8;
        EXPECT_TRUE(exact) << c.Utf8;
        EXPECT_EQ(Utf8Text(c.Wide), c.Utf8);
        EXPECT_EQ(Utf8Text(c.Wide.data(), c.Wide.size()), c.Utf8);
    }
}

TEST(Utf8Text, EachByteThatStartsNoCharacterBecomesAReplacementAndTheTextIsNotExact) {
    const unsigned bad = 0xFFFD;
    const struct {
        std::string Utf8;
        TWideText Wide;
    } cases[] = {
        {"M\xFCller", Units({'M', bad, 'l', 'l', 'e', 'r'})}, // code page 1252, not UTF-8
        {"\x80"
         "a",
         Units({bad, 'a'})},          // a continuation alone
        {"a\xC3", Units({'a', bad})}, // cut off
        {"\xE7\x8E"
         "b",
         Units({bad, bad, 'b'})},
        {"\xC0\xAF", Units({bad, bad})}, // "/" spelt too long
        {"\xE0\x80\xAF", Units({bad, bad, bad})},
        {"\xF0\x80\x80\xAF", Units({bad, bad, bad, bad})},
        {"\xF4\x90\x80\x80", Units({bad, bad, bad, bad})}, // beyond U+10FFFF
        {"\xFF\xFE", Units({bad, bad})},
    };
    for (const auto& c : cases) {
        bool exact = true;
        EXPECT_EQ(WideText(c.Utf8, &exact), c.Wide) << c.Utf8;
        EXPECT_FALSE(exact) << c.Utf8;
    }
    EXPECT_EQ(WideText("\xFF"), Units({bad})); // without asking whether it was exact
}

TEST(Utf8Text, OnlyPlainAsciiIsTheSameInEveryCodePage) {
    EXPECT_TRUE(IsAsciiText(""));
    EXPECT_TRUE(IsAsciiText("C:\\Program Files\\Quorvale ~1"));
    EXPECT_FALSE(IsAsciiText("M\xC3\xBCller"));
    EXPECT_FALSE(IsAsciiText("M\xFCller"));
    EXPECT_FALSE(IsAsciiText(std::string("a\0\x80", 3)));
}
