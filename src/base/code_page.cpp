#include "base/code_page.h"

#include "base/utf8_text.h"

#include <windows.h>

std::string Utf8FromAnsi(const std::string& ansi) {
    if (IsAsciiText(ansi)) return ansi;
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    if (n <= 0) return std::string();
    TWideText wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], n);
    return Utf8Text(wide);
}

bool AnsiFromUtf8(const std::string& utf8, std::string& ansi) {
    ansi.clear();
    if (IsAsciiText(utf8)) {
        ansi = utf8;
        return true;
    }
    bool exact = false;
    const TWideText wide = WideText(utf8, &exact);
    BOOL defaulted = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                                      nullptr, 0, nullptr, &defaulted);
    if (!exact || n <= 0 || defaulted) return false;
    ansi.resize(size_t(n));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), &ansi[0], n,
                        nullptr, &defaulted);
    // What converts back to other text was a look-alike after all.
    if (defaulted || Utf8FromAnsi(ansi) != utf8) {
        ansi.clear();
        return false;
    }
    return true;
}
