#include "payload/entry_names.h"

#include <cstring>

namespace payload {

namespace {
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Windows opens these as devices in any folder and with any extension, so
// "Templates\NUL.kwt" would never become a file.
bool IsDeviceName(const std::string& element) {
    std::string base = element.substr(0, element.find('.'));
    // "NUL .txt" is the device too: blanks before the extension are dropped.
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = Upper(c);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    // COM1..COM9, LPT1..LPT9; the superscript digits of code page 1252 count too.
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        const unsigned char digit = static_cast<unsigned char>(base[3]);
        return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

bool IsSafeElement(const std::string& element) {
    if (element.empty() || element == "." || element == "..") return false;
    for (const char c : element) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::strchr(":/<>\"|?*", c)) return false;
    }
    // Windows drops trailing dots and blanks: the file would get another name.
    const char last = element.back();
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(element);
}
} // namespace

bool IsSafeEntryName(const std::string& name) {
    if (name.empty() || name.size() > 255) return false;
    size_t start = 0;
    for (;;) {
        const size_t end = name.find('\\', start);
        if (!IsSafeElement(name.substr(start, end == std::string::npos ? end : end - start)))
            return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

} // namespace payload
