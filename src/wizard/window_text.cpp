#include "wizard/window_text.h"

#include "base/utf8_text.h"

HWND CreateChildWindow(DWORD exStyle, const wchar_t* windowClass, const char* text, DWORD style,
                       const RECT& bounds, HWND parent, int id) {
    return CreateWindowExW(exStyle, windowClass, WideText(text).c_str(), WS_CHILD | style,
                           bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void SetWindowUtf8Text(HWND window, const std::string& text) {
    SetWindowTextW(window, WideText(text).c_str());
}

std::string WindowText(HWND window) {
    TWideText text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    return Utf8Text(text.data(), size_t(GetWindowTextW(window, &text[0], int(text.size()))));
}

LRESULT SendText(HWND window, UINT msg, WPARAM wp, const std::string& text) {
    return SendMessageW(window, msg, wp, LPARAM(WideText(text).c_str()));
}

std::string ItemText(HWND window, UINT lengthMsg, UINT textMsg, int index) {
    const LRESULT length = SendMessageW(window, lengthMsg, WPARAM(index), 0);
    if (length <= 0) return std::string();
    TWideText text(size_t(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, textMsg, WPARAM(index), LPARAM(&text[0]));
    return Utf8Text(text.data(), copied > 0 ? size_t(copied) : 0);
}

void DrawUtf8Text(HDC dc, const std::string& text, RECT& r, UINT format) {
    const TWideText wide = WideText(text);
    DrawTextW(dc, wide.c_str(), int(wide.size()), &r, format);
}

void TextOutUtf8(HDC dc, int x, int y, const std::string& text) {
    const TWideText wide = WideText(text);
    TextOutW(dc, x, y, wide.c_str(), int(wide.size()));
}

std::string LowerCaseText(const std::string& text) {
    TWideText wide = WideText(text);
    if (!wide.empty()) CharLowerBuffW(&wide[0], DWORD(wide.size()));
    return Utf8Text(wide);
}
