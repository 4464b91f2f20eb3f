#include "wizard/font_metrics.h"

TEXTMETRICA FontMetrics(HWND window) {
    TEXTMETRICA tm{};
    HDC dc = GetDC(window);
    if (!dc) return tm;
    HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageA(window, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return tm;
}
