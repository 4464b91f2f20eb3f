#include "base/utf8_text.h"

namespace {
// Length of the sequence that starts with this byte, 0 for one that
// starts none.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}
} // namespace

TWideText WideText(const std::string& utf8, bool* exact) {
    TWideText wide;
    wide.reserve(utf8.size());
    if (exact) *exact = true;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = SequenceLength(lead);
        unsigned long code = length == 1   ? lead
                             : length == 2 ? lead & 0x1F
                             : length == 3 ? lead & 0x0F
                                           : lead & 0x07;
        bool good = length != 0 && i + length <= utf8.size();
        for (size_t k = 1; good && k < length; k++) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            good = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms and code points beyond U+10FFFF are not text.
        if (good && length == 3 && code < 0x800) good = false;
        if (good && length == 4 && (code < 0x10000 || code > 0x10FFFF)) good = false;
        if (!good) {
            if (exact) *exact = false;
            wide.push_back(wchar_t(0xFFFD));
            i++;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            wide.push_back(wchar_t(0xD800 | (code >> 10)));
            wide.push_back(wchar_t(0xDC00 | (code & 0x3FF)));
        } else {
            wide.push_back(wchar_t(code)); // a lone surrogate comes back as itself
        }
        i += length;
    }
    return wide;
}

std::string Utf8Text(const wchar_t* wide, size_t length) {
    std::string utf8;
    utf8.reserve(length);
    for (size_t i = 0; i < length; i++) {
        unsigned long code = static_cast<unsigned long>(wide[i]) & 0xFFFF;
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length &&
            (wide[i + 1] & 0xFC00) == 0xDC00) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] & 0x3FF);
            i++;
        }
        if (code < 0x80) {
            utf8.push_back(char(code));
        } else if (code < 0x800) {
            utf8.push_back(char(0xC0 | code >> 6));
            utf8.push_back(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            utf8.push_back(char(0xE0 | code >> 12));
            utf8.push_back(char(0x80 | (code >> 6 & 0x3F)));
            utf8.push_back(char(0x80 | (code & 0x3F)));
        } else {
            utf8.push_back(char(0xF0 | code >> 18));
            utf8.push_back(char(0x80 | (code >> 12 & 0x3F)));
            utf8.push_back(char(0x80 | (code >> 6 & 0x3F)));
            utf8.push_back(char(0x80 | (code & 0x3F)));
        }
    }
    return utf8;
}

std::string Utf8Text(const TWideText& wide) {
    return Utf8Text(wide.data(), wide.size());
}

bool IsAsciiText(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string AsciiUpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}
