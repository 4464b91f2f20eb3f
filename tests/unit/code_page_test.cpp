// Text in the ANSI code page and back, and the paths handed to the product.
// The expected bytes come from the system's own conversions: what the code
// page makes of a character is the code page's, not the program's, to say.
#include "base/code_page.h"
#include "base/product_path.h"

#include "e2e.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

namespace {
// The code page's bytes for UTF-8 text, or "<none>" when one of its
// characters has no counterpart there.
std::string SystemAnsi(const std::string& utf8) {
    const std::wstring wide = e2e::Wide(utf8);
    BOOL defaulted = FALSE;
    char ansi[MAX_PATH * 2] = "";
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                                      ansi, sizeof ansi, nullptr, &defaulted);
    return defaulted ? "<none>" : std::string(ansi, size_t(n > 0 ? n : 0));
}

std::string ShortForm(const std::string& path) {
    wchar_t text[MAX_PATH] = L"";
    const DWORD n = GetShortPathNameW(e2e::Wide(path).c_str(), text, MAX_PATH);
    return n && n < MAX_PATH ? e2e::Utf8(text) : std::string();
}

std::string LongForm(const std::string& path) {
    wchar_t text[MAX_PATH] = L"";
    const DWORD n = GetLongPathNameW(e2e::Wide(path).c_str(), text, MAX_PATH);
    return n && n < MAX_PATH ? e2e::Utf8(text) : std::string();
}
} // namespace

TEST(CodePage, TextThatFitsHasTheCodePagesOwnBytesAndNoLookAlikeStandsIn) {
    ASSERT_EQ(GetACP(), 1252u) << "the cases are those of the Western code page";
    const struct {
        const char* Utf8;
        bool Fits;
    } cases[] = {
        {"C:\\Program Files\\Quorvale", true},
        {"C:\\Users\\M\xC3\xBCller", true},      // "Müller"
        {"\xE2\x82\xAC 5", true},                // the euro sign, 0x80
        {"Why?", true},                          // a question mark of its own
        {"\xC5\x82ukasz", false},                // "łukasz"
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", false}, // "Łódź": its best fit would be "L"
        {"\xE7\x8E\x8B\xE8\x8A\xB3", false},     // "王芳"
        {"bad \xFF byte", false},
    };
    for (const auto& c : cases) {
        std::string ansi = "left over";
        EXPECT_EQ(AnsiFromUtf8(c.Utf8, ansi), c.Fits) << c.Utf8;
        if (c.Fits) {
            EXPECT_EQ(ansi, SystemAnsi(c.Utf8)) << c.Utf8;
            EXPECT_EQ(Utf8FromAnsi(ansi), c.Utf8);
        } else {
            // Nothing that could be taken for the name.
            EXPECT_EQ(ansi, "") << c.Utf8;
        }
    }
    EXPECT_EQ(Utf8FromAnsi("M\xFCller \x80"), "M\xC3\xBCller \xE2\x82\xAC");
}

TEST(ProductPath, APathOutsideTheCodePageIsHandedOverInItsShortForm) {
    const std::string folder = enginetest::FreshFolder("ProductPath");
    const std::string lodz = folder + "\xC5\x81\xC3\xB3\x64\xC5\xBA"; // "Łódź"
    ASSERT_TRUE(CreateDirectoryW(e2e::Wide(lodz).c_str(), nullptr));
    const std::string shortLodz = ShortForm(lodz);
    ASSERT_NE(SystemAnsi(shortLodz), "<none>") << "the volume keeps no short form that fits";
    ASSERT_EQ(LongForm(shortLodz), lodz);

    const struct {
        std::string Path;
        TProductForm Form;
        std::string Text;
    } cases[] = {
        {folder + "kel.exe", TProductForm::AsIs, folder + "kel.exe"},
        {folder + "M\xC3\xBCller\\kel.exe", TProductForm::AsIs, folder + "M\xFCller\\kel.exe"},
        {lodz, TProductForm::Short, SystemAnsi(shortLodz)},
        // Not made yet: appended to the short form of the part that is.
        {lodz + "\\Nowy\\kel.exe", TProductForm::Short, SystemAnsi(shortLodz) + "\\Nowy\\kel.exe"},
        // "Łódź\Żółw": its tail fits no code page's text.
        {lodz + "\\\xC5\xBB\xC3\xB3\xC5\x82w", TProductForm::None, ""},
    };
    for (const auto& c : cases) {
        const TProductPath product = ProductPath(c.Path);
        EXPECT_EQ(int(product.Form), int(c.Form)) << c.Path;
        EXPECT_EQ(product.Text, c.Text) << c.Path;
    }
}
