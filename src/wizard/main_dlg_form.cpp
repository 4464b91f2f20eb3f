#include "wizard/main_dlg_form.h"

#include "app/app_info.h"

namespace {
// Client size of the dialog at 96 pixels per inch.
constexpr int kClientWidth = 492;
constexpr int kClientHeight = 351;

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// An empty in-memory dialog template; the wizard lays out its own controls.
struct EmptyTemplate {
    DLGTEMPLATE tmpl;
    WORD menu, windowClass, title;
};
} // namespace

TMainDlgForm::TMainDlgForm(HICON icon) : Icon_(icon) {}

TMainDlgForm::~TMainDlgForm() = default;

INT_PTR TMainDlgForm::ShowModal() {
    EmptyTemplate t{};
    t.tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &t.tmpl, nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TMainDlgForm::DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    TMainDlgForm* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<TMainDlgForm*>(lp);
        SetWindowLongPtrA(wnd, DWLP_USER, lp);
        self->Handle_ = wnd;
    } else {
        self = reinterpret_cast<TMainDlgForm*>(GetWindowLongPtrA(wnd, DWLP_USER));
    }
    return self ? self->HandleMessage(msg, wp, lp) : FALSE;
}

void TMainDlgForm::OnInitDialog() {
    const int dpi = ScreenDpi();
    RECT r{0, 0, MulDiv(kClientWidth, dpi, 96), MulDiv(kClientHeight, dpi, 96)};
    const DWORD style = DWORD(GetWindowLongPtrA(Handle_, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongPtrA(Handle_, GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    SetWindowPos(Handle_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextA(Handle_, kApplicationTitle);
    if (Icon_) {
        SendMessageA(Handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon_));
        SendMessageA(Handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon_));
    }
}

INT_PTR TMainDlgForm::HandleMessage(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(Handle_, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(Handle_, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
