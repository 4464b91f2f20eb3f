// The texts of the wizard's windows. Its controls are Unicode windows, so
// that a path or a name from the file system outside the code page is
// shown as itself and comes back unchanged from what the user typed,
// pasted or picked. The program holds its texts as UTF-8; these calls take
// them to the windows and back.
#pragma once

#include <windows.h>

#include <string>

// A child window of `parent` made as a Unicode window.
HWND CreateChildWindow(DWORD exStyle, const wchar_t* windowClass, const char* text, DWORD style,
                       const RECT& bounds, HWND parent, int id);
void SetWindowUtf8Text(HWND window, const std::string& text);
std::string WindowText(HWND window);

// Hands a list or a combo box a text (LB_ADDSTRING, CB_ADDSTRING).
LRESULT SendText(HWND window, UINT msg, WPARAM wp, const std::string& text);
// An item's text: `lengthMsg` and `textMsg` are LB_GETTEXTLEN and
// LB_GETTEXT, or CB_GETLBTEXTLEN and CB_GETLBTEXT.
std::string ItemText(HWND window, UINT lengthMsg, UINT textMsg, int index);

// DrawText of the text, DT_CALCRECT among the flags to measure it.
void DrawUtf8Text(HDC dc, const std::string& text, RECT& r, UINT format);
void TextOutUtf8(HDC dc, int x, int y, const std::string& text);
// The text lower-cased by the system under the user's locale.
std::string LowerCaseText(const std::string& text);
