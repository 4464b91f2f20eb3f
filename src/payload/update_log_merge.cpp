#include "payload/update_log_merge.h"

#include <cstdint>
#include <cstring>
#include <set>

namespace {
bool IsHeader(const std::string& line) {
    return !line.empty() && line[0] == '*';
}
} // namespace

std::string UpdateLogHeader(double installStamp) {
    static const char digits[] = "0123456789ABCDEF";
    uint8_t bytes[8];
    std::memcpy(bytes, &installStamp, 8);
    std::string header = "*";
    for (uint8_t b : bytes) {
        header += digits[b >> 4];
        header += digits[b & 15];
    }
    return header;
}

std::vector<std::string>
MergeUpdateLog(const std::vector<std::string>& oldLines,
               const std::vector<std::string>& publicFiles, const std::string& header,
               const std::function<std::string(const std::string&)>& fold) {
    // An ordered set, as the installation log's index: one kind of set
    // keeps the program small.
    std::set<std::string> current;
    for (const auto& f : publicFiles)
        current.insert(fold(f));

    std::vector<std::string> kept;
    for (const auto& line : oldLines)
        if (!line.empty() && current.count(fold(line)) == 0) kept.push_back(line);

    // Of several header lines in a row only the first stays: the others
    // lost all their file lines.
    std::vector<std::string> merged;
    for (size_t i = 0; i < kept.size(); ++i)
        if (i == 0 || !IsHeader(kept[i]) || !IsHeader(kept[i - 1])) merged.push_back(kept[i]);
    if (!merged.empty() && IsHeader(merged.back())) merged.pop_back();

    merged.push_back(header);
    merged.insert(merged.end(), publicFiles.begin(), publicFiles.end());
    return merged;
}
