// What the shell's COM objects need of us: an interface pointer that is
// released when it goes (TComPtr, with the other handles in scoped_win.h),
// and ANSI text turned into the UTF-16 they take.
#pragma once

#include "base/scoped_win.h"

#include <windows.h>

#include <string>
#include <vector>

// The text in the ANSI code page as UTF-16; empty when it cannot be turned.
inline std::wstring WideFromAnsi(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::vector<wchar_t> wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    return std::wstring(wide.data());
}
