#include "payload/text_file.h"

#include "base/scoped_win.h"
#include "base/wide_paths.h"
#include "payload/diagnostic_log.h"
#include "payload/safe_write.h"
#include "payload/text_lines.h"

#include <windows.h>

namespace {
std::string SystemReason(DWORD code) {
    const std::string reason = SystemMessage(code);
    return reason.empty() ? "System error " + std::to_string(code) : reason;
}

std::string FileError(const char* what, const std::string& path, DWORD code) {
    return std::string(what) + " \"" + path + "\". " + SystemReason(code);
}
} // namespace

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
    TFileHandle file = CreatePathFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file) {
        error = FileError("Cannot open file", path, GetLastError());
        return false;
    }
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > 0x7FFFFFFF) {
        error = FileError("Cannot read file", path, GetLastError());
        return false;
    }
    std::string text(size, '\0');
    DWORD got = 0;
    if (size && (!ReadFile(file.Get(), &text[0], size, &got, nullptr) || got != size)) {
        error = FileError("Cannot read file", path, GetLastError());
        return false;
    }
    lines = SplitLines(text);
    return true;
}

bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    std::string& error) {
    const std::string text = JoinLines(lines);
    if (WriteWholeFile(path, text.data(), uint32_t(text.size()))) return true;
    error = FileError("Cannot create file", path, GetLastError());
    return false;
}
