#include "base/locale_text.h"

#include "base/utf8_text.h"

#include <windows.h>

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

namespace {
// Sorts n texts from `first`, equal ones in their order, with room for as
// many in `buffer`. (Our own merge: the library's stable sort is 3 KB.)
void MergeSort(std::string* first, size_t n, std::string* buffer) {
    if (n < 2) return;
    const size_t half = n / 2;
    MergeSort(first, half, buffer);
    MergeSort(first + half, n - half, buffer);
    size_t i = 0, j = half, k = 0;
    while (i < half && j < n)
        buffer[k++] = std::move(CompareText(first[j], first[i]) < 0 ? first[j++] : first[i++]);
    while (i < half)
        buffer[k++] = std::move(first[i++]);
    // What is left of the second half is in its place already.
    for (size_t m = 0; m < k; m++)
        first[m] = std::move(buffer[m]);
}
} // namespace

void SortTexts(std::vector<std::string>& texts) {
    std::vector<std::string> buffer(texts.size());
    MergeSort(texts.data(), texts.size(), buffer.data());
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
