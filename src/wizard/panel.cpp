#include "wizard/panel.h"

#include "base/scoped_win.h"
#include "wizard/messages.h"

namespace {
constexpr char kPanelClass[] = "QvPanel";
// Window extra bytes: the background colour, then the bevel.
constexpr int kColourIndex = 0;
constexpr int kBevelIndex = sizeof(LONG_PTR);

COLORREF Background(HWND panel) {
    const auto colour = COLORREF(GetWindowLongPtrA(panel, kColourIndex));
    return colour == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : colour;
}

bool IsForwarded(UINT msg) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_QV_CLICKCHECK:
    case WM_NEXTDLGCTL: // a control moving the focus on
    case DM_GETDEFID:
        return true;
    }
    return false;
}

// The dialog a panel sits on, however deeply nested (what GetAncestor does
// with GA_ROOT, which Windows 95 lacks).
HWND TopLevelWindow(HWND wnd) {
    while (GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(wnd);
        if (!parent) break;
        wnd = parent;
    }
    return wnd;
}

LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (IsForwarded(msg)) {
        HWND dialog = TopLevelWindow(wnd);
        if (dialog != wnd) return SendMessageA(dialog, msg, wp, lp);
    }
    switch (msg) {
    case WM_CLOSE: // a panel is never closed on its own
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(wnd, &r);
        const TGdiHandle<HBRUSH> brush(CreateSolidBrush(Background(wnd)));
        FillRect(HDC(wp), &r, brush.Get());
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        if (TPanelBevel(GetWindowLongPtrA(wnd, kBevelIndex)) == TPanelBevel::Etched) {
            RECT r;
            GetClientRect(wnd, &r);
            DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
        }
        EndPaint(wnd, &ps);
        return 0;
    }
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void RegisterPanelClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = PanelProc;
        wc.cbWndExtra = 2 * sizeof(LONG_PTR);
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kPanelClass;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}
} // namespace

HWND CreatePanel(HWND parent, int id, const RECT& bounds, COLORREF colour, TPanelBevel bevel,
                 bool visible) {
    RegisterPanelClass();
    // Panels hold controls the keyboard reaches with Tab: the dialog manager
    // looks into them because of WS_EX_CONTROLPARENT.
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    HWND panel =
        CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "", style, bounds.left, bounds.top,
                        bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
    if (panel) {
        SetWindowLongPtrA(panel, kColourIndex, LONG_PTR(colour));
        SetWindowLongPtrA(panel, kBevelIndex, LONG_PTR(bevel));
    }
    return panel;
}
