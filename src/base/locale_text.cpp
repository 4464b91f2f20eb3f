#include "base/locale_text.h"

#include "base/utf8_text.h"

#include <windows.h>

#include <algorithm>

namespace {
TWideText UpperWide(TWideText text) {
    if (!text.empty()) CharUpperBuffW(&text[0], DWORD(text.size()));
    return text;
}
} // namespace

std::string UpperCaseText(const std::string& text) {
    return Utf8Text(UpperWide(WideText(text)));
}

int CompareText(const std::string& a, const std::string& b) {
    const TWideText wa = WideText(a), wb = WideText(b);
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.data(), int(wa.size()),
                                 wb.data(), int(wb.size()));
    if (r == 0) return UpperWide(wa).compare(UpperWide(wb)); // the call failed: keep some order
    return r - CSTR_EQUAL;
}

void SortTexts(std::vector<std::string>& texts) {
    std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        return CompareText(a, b) < 0;
    });
}

bool SameName(const std::string& a, const std::string& b) {
    return UpperWide(WideText(a)) == UpperWide(WideText(b));
}

bool SameAnsiName(const std::string& a, const std::string& b) {
    // ANSI upper-casing keeps the length, so texts of different lengths differ.
    if (a.size() != b.size()) return false;
    std::string ua = a, ub = b;
    if (!ua.empty()) CharUpperBuffA(&ua[0], DWORD(ua.size()));
    if (!ub.empty()) CharUpperBuffA(&ub[0], DWORD(ub.size()));
    return ua == ub;
}
