#include "wizard/font_metrics.h"

#include "base/scoped_win.h"

TEXTMETRICA FontMetrics(HWND window) {
    TEXTMETRICA tm{};
    const TWindowDc dc = WindowDc(window);
    if (!dc) return tm;
    HGDIOBJ old = SelectObject(dc.Get(), HGDIOBJ(SendMessageA(window, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc.Get(), &tm);
    SelectObject(dc.Get(), old);
    return tm;
}
