// The metrics of the font a window draws its text with (WM_GETFONT), read
// in the window's own device context.
#pragma once

#include <windows.h>

TEXTMETRICA FontMetrics(HWND window);
