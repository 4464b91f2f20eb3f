#include "base/reparse_data.h"

#include "base/utf8_text.h"

#include <cstdint>

namespace {
constexpr uint32_t kMountPointTag = 0xA0000003; // IO_REPARSE_TAG_MOUNT_POINT
// Tag, data length, reserved, then the target's offset and length (in
// bytes, from the start of the path buffer), then the printed name's.
constexpr size_t kHeader = 8;
constexpr size_t kPathBuffer = kHeader + 8;

uint32_t Little(const unsigned char* p, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = bytes; i-- > 0;)
        value = value << 8 | p[i];
    return value;
}
} // namespace

bool IsVolumeMountData(const unsigned char* data, size_t size) {
    if (!data || size < kPathBuffer || Little(data, 4) != kMountPointTag) return false;
    const size_t length = Little(data + 4, 2);
    if (kHeader + length > size || length < kPathBuffer - kHeader) return false;
    const size_t offset = Little(data + 8, 2), bytes = Little(data + 10, 2);
    if (offset % 2 || bytes % 2 || offset + bytes > length - (kPathBuffer - kHeader)) return false;
    const unsigned char* target = data + kPathBuffer + offset;
    // "\??\Volume{" + a GUID of 36 characters + "}\".
    static const char kStart[] = "\\??\\Volume{";
    constexpr size_t kStartLength = sizeof kStart - 1, kGuidLength = 36;
    if (bytes / 2 != kStartLength + kGuidLength + 2) return false;
    // The name of the object directory, and the GUID's digits, in either
    // letter case.
    auto unit = [&](size_t i) {
        const uint32_t c = Little(target + 2 * i, 2);
        return c < 0x80 ? uint32_t(uint8_t(AsciiLowerCase(char(c)))) : c;
    };
    for (size_t i = 0; i < kStartLength; ++i)
        if (unit(i) != uint8_t(AsciiLowerCase(kStart[i]))) return false;
    for (size_t i = 0; i < kGuidLength; ++i) {
        const uint32_t c = unit(kStartLength + i);
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        if (dash ? c != '-' : !hex) return false;
    }
    return unit(kStartLength + kGuidLength) == '}' && unit(kStartLength + kGuidLength + 1) == '\\';
}
