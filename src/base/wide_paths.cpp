#include "base/wide_paths.h"

#include "base/utf8_text.h"

#include <windows.h>

uint32_t PathAttributes(const std::string& path) {
    return GetFileAttributesW(WideText(path).c_str());
}

std::string FullPathName(const std::string& path) {
    const TWideText wide = WideText(path);
    TWideText full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(wide.c_str(), DWORD(full.size()), &full[0], nullptr);
    if (n >= full.size()) {
        full.assign(n, L'\0');
        n = GetFullPathNameW(wide.c_str(), DWORD(full.size()), &full[0], nullptr);
        if (n >= full.size()) return std::string();
    }
    return Utf8Text(full.data(), n);
}

TFileHandle CreatePathFile(const std::string& path, uint32_t access, uint32_t share,
                           uint32_t disposition, uint32_t flags) {
    return TFileHandle(
        CreateFileW(WideText(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
}

bool CreatePathFolder(const std::string& path) {
    return CreateDirectoryW(WideText(path).c_str(), nullptr);
}

bool DeletePathFile(const std::string& path) {
    return DeleteFileW(WideText(path).c_str());
}
