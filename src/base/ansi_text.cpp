#include "base/ansi_text.h"

#include <windows.h>

#include <algorithm>

std::string AnsiUpperCase(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], DWORD(text.size()));
    return text;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
    const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()),
                                 b.data(), int(b.size()));
    if (r == 0)
        return AnsiUpperCase(a).compare(AnsiUpperCase(b)); // the call failed: keep some order
    return r - CSTR_EQUAL;
}

void SortAnsiTexts(std::vector<std::string>& texts) {
    std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        return AnsiCompareText(a, b) < 0;
    });
}

bool SameName(const std::string& a, const std::string& b) {
    // ANSI upper-casing keeps the length, so texts of different lengths differ.
    return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}
