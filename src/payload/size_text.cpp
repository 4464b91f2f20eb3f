#include "payload/size_text.h"

namespace {
constexpr int64_t kMB = 1048576;

// bytes / 1 MB rounded to the nearest whole number, an exact half to even.
int64_t RoundedMB(int64_t bytes) {
    int64_t q = bytes / kMB, r = bytes % kMB;
    if (r < 0) { // keep the remainder in 0..kMB-1
        r += kMB;
        --q;
    }
    if (2 * r > kMB || (2 * r == kMB && (q & 1))) ++q;
    return q;
}
} // namespace

std::string GroupDigits(int64_t n) {
    std::string s = std::to_string(n);
    // A minus sign is no digit: the groups are counted after it.
    const long sign = n < 0 ? 1 : 0;
    // Positions counted from 1: a blank before position p, p stepping by 3.
    for (long p = long(s.size()) - 2; p > 1 + sign; p -= 3)
        s.insert(size_t(p - 1), 1, ' ');
    return s;
}

std::string FormatSize(int64_t bytes) {
    const int64_t mb = RoundedMB(bytes);
    if (bytes >= 16 * kMB - 1 || (bytes != 0 && bytes == mb * kMB)) return GroupDigits(mb) + " MB";
    return GroupDigits(bytes / 1024) + " KB";
}
