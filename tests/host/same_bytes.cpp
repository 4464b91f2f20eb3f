#include "same_bytes.h"

#include "pe_image.h"

#include <algorithm>
#include <cstdio>

namespace hosttest {

namespace {
std::string PartAt(const PeImage& image, size_t offset) {
    if (!image.Valid()) return "a file that is not a Windows program";
    size_t firstSection = SIZE_MAX;
    for (const PeImage::Section& s : image.Sections()) {
        if (s.fileSize == 0) continue;
        firstSection = std::min<size_t>(firstSection, s.fileOffset);
        if (offset >= s.fileOffset && offset - s.fileOffset < s.fileSize)
            return "section " + s.name;
    }
    return offset < firstSection ? "the headers" : "the data after the last section";
}
} // namespace

std::string FirstDifference(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second) {
    const auto [a, b] = std::mismatch(first.begin(), first.end(), second.begin(), second.end());
    if (a == first.end() && b == second.end()) return "";
    const size_t offset = size_t(a - first.begin());
    char at[32];
    std::snprintf(at, sizeof at, "0x%zx", offset);
    std::string where =
        "first difference at byte " + std::string(at) + ", in " + PartAt(PeImage(first), offset);
    if (first.size() != second.size())
        where += " (the files hold " + std::to_string(first.size()) + " and " +
                 std::to_string(second.size()) + " bytes)";
    return where;
}

} // namespace hosttest
