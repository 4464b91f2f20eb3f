#include "wizard/screen_dpi.h"

#include "base/scoped_win.h"

#include <windows.h>

int ScreenDpi() {
    const TWindowDc dc = WindowDc(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}
