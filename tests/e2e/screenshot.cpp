// Screenshots of a window as the screen shows it.
#include "e2e.h"
#include "png_writer.h"

namespace e2e {

namespace {
// Lets the window and its controls paint: a thread paints whenever its
// queue runs empty, which it does in the pauses of Settle. (Whether anything
// is left to paint cannot be asked across processes under Wine.)
void WaitPainted(HWND window) {
    for (int i = 0; i < 2; ++i)
        if (!Settle(window, 2000)) return; // busy or hung: take what is there
    // Wine hands the painted pixels to the X server a moment later.
    Sleep(150);
}

// Copies a rectangle of the screen into 24-bit RGB rows, top to bottom.
bool CaptureScreen(const RECT& r, std::vector<uint8_t>& rgb) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory, old);
    }
    if (ok) {
        const auto* bgrx = static_cast<const uint8_t*>(bits);
        rgb.resize(size_t(width) * height * 3);
        for (size_t i = 0, n = size_t(width) * height; i < n; ++i) {
            rgb[i * 3] = bgrx[i * 4 + 2];
            rgb[i * 3 + 1] = bgrx[i * 4 + 1];
            rgb[i * 3 + 2] = bgrx[i * 4];
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
} // namespace

bool Screenshot(HWND window, const std::string& path) {
    if (!IsWindow(window)) {
        Fail("no window to capture for " + path);
        return false;
    }
    // Painted afresh, so that waiting for the paint is waiting for pixels.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    WaitPainted(window);

    RECT r;
    GetWindowRect(window, &r);
    // Only what lies on the screen can be captured.
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (r.right > screenWidth) r.right = screenWidth;
    if (r.bottom > screenHeight) r.bottom = screenHeight;
    std::vector<uint8_t> rgb;
    if (r.right <= r.left || r.bottom <= r.top || !CaptureScreen(r, rgb)) {
        Fail("cannot capture \"" + Text(window) + "\" for " + path);
        return false;
    }
    const std::string png = EncodePng(r.right - r.left, r.bottom - r.top, rgb);
    if (png.empty() || !WriteFile(path, png)) {
        Fail("cannot write " + path);
        return false;
    }
    return true;
}

} // namespace e2e
