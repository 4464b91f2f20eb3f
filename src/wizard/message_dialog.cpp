// The message dialog: built in code like the wizard, because the system's
// message box cannot show the combinations the program needs (No with
// Abort) nor choose its default and Esc buttons freely.
#include "wizard/message_dialog.h"

#include "base/scoped_win.h"
#include "wizard/screen_dpi.h"
#include "wizard/window_text.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {
struct TKindLook {
    const char* Caption;
    LPCSTR Icon;
};
const TKindLook kKinds[] = {
    {"Warning", IDI_EXCLAMATION},
    {"Error", IDI_HAND},
    {"Information", IDI_ASTERISK},
    {"Confirm", IDI_QUESTION},
};

struct TButtonKind {
    uint16_t Bit;
    const char* Caption;
    int Answer; // also the button's control id
};
// In bit order, which is also their order on screen.
const TButtonKind kButtons[] = {
    {mbYes, "&Yes", mrYes},          {mbNo, "&No", mrNo},          {mbOK, "OK", mrOk},
    {mbCancel, "Cancel", mrCancel},  {mbAbort, "&Abort", mrAbort}, {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore},
};

// Measures at 96 pixels per inch.
constexpr int kMargin = 12;
constexpr int kIconGap = 12;
constexpr int kButtonGap = 6;
constexpr int kTextToButtons = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

struct TDialogState {
    std::string Text;
    uint8_t Kind;
    uint16_t Buttons;
    int DefaultAnswer; // Enter; 0 when none
    int EscapeAnswer;  // Esc; 0 when none
    TFontHandle Font;
};

int DefaultAnswerOf(uint16_t buttons) {
    if (buttons & mbOK) return mrOk;
    if (buttons & mbYes) return mrYes;
    if (buttons & mbRetry) return mrRetry;
    return 0;
}

int EscapeAnswerOf(uint16_t buttons) {
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbOK) return mrOk;
    return 0;
}

TFontHandle MessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return TFontHandle(CreateFontIndirectA(&metrics.lfMessageFont));
    return TFontHandle();
}

// The messages quote paths: the text is a Unicode window's, as the
// wizard's controls are.
HWND AddControl(HWND dialog, const wchar_t* cls, const char* text, DWORD style, int id,
                const RECT& r, HFONT font) {
    HWND control = CreateChildWindow(0, cls, text, WS_VISIBLE | style, r, dialog, id);
    if (control && font) SendMessageA(control, WM_SETFONT, WPARAM(font), FALSE);
    return control;
}

// Sizes and fills the dialog; returns the control that gets the focus.
HWND LayOut(HWND dialog, TDialogState& state) {
    const int dpi = ScreenDpi();
    auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
    const TKindLook& look = kKinds[state.Kind];
    SetWindowTextA(dialog, look.Caption);

    // The text wraps at half the screen width.
    RECT text{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    { // only to measure: the DC goes back at once
        const TWindowDc dc = WindowDc(dialog);
        HGDIOBJ old = SelectObject(dc.Get(), state.Font.Get() ? state.Font.Get()
                                                              : GetStockObject(DEFAULT_GUI_FONT));
        DrawUtf8Text(dc.Get(), state.Text, text,
                     DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        SelectObject(dc.Get(), old);
    }

    const int icon = GetSystemMetrics(SM_CXICON);
    const int margin = scale(kMargin), buttonW = scale(kButtonWidth),
              buttonH = scale(kButtonHeight);
    const int gap = scale(kButtonGap);
    int count = 0;
    for (const auto& b : kButtons)
        count += (state.Buttons & b.Bit) ? 1 : 0;
    const int rowWidth = count * buttonW + (count - 1) * gap;
    const int textLeft = margin + icon + scale(kIconGap);
    const int bodyHeight = std::max(icon, int(text.bottom));
    const int width = std::max(textLeft + int(text.right), margin + rowWidth) + margin;
    const int buttonTop = margin + bodyHeight + scale(kTextToButtons);
    const int height = buttonTop + buttonH + margin;

    HWND iconControl = AddControl(dialog, L"STATIC", "", SS_ICON, -1,
                                  RECT{margin, margin, margin + icon, margin + icon}, nullptr);
    SendMessageA(iconControl, STM_SETICON, WPARAM(LoadIconA(nullptr, look.Icon)), 0);
    AddControl(dialog, L"STATIC", state.Text.c_str(), SS_LEFT | SS_NOPREFIX, -1,
               RECT{textLeft, margin, textLeft + text.right, margin + text.bottom},
               state.Font.Get());

    HWND focus = nullptr;
    int x = (width - rowWidth) / 2;
    bool first = true;
    for (const auto& b : kButtons) {
        if (!(state.Buttons & b.Bit)) continue;
        const bool isDefault = b.Answer == state.DefaultAnswer;
        DWORD style = WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (first) style |= WS_GROUP;
        HWND button =
            AddControl(dialog, L"BUTTON", b.Caption, style, b.Answer,
                       RECT{x, buttonTop, x + buttonW, buttonTop + buttonH}, state.Font.Get());
        if (isDefault || first) focus = button;
        first = false;
        x += buttonW + gap;
    }
    if (state.DefaultAnswer) SendMessageA(dialog, DM_SETDEFID, WPARAM(state.DefaultAnswer), 0);
    // Without a button for Esc the close box would have nothing to press.
    if (!state.EscapeAnswer)
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    // Centred on the screen.
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(dialog, HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, 0);
    return focus;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        state = reinterpret_cast<TDialogState*>(lp);
        HWND focus = LayOut(dialog, *state);
        if (focus) SendMessageA(dialog, WM_NEXTDLGCTL, WPARAM(focus), TRUE);
        return FALSE; // the focus is set
    }
    case WM_COMMAND: {
        if (!state || HIWORD(wp) != BN_CLICKED) break;
        int answer = LOWORD(wp);
        // IDCANCEL without a Cancel button comes from Esc or the close box;
        // IDOK without an OK button from Enter with no default button.
        if (answer == IDCANCEL && !(state->Buttons & mbCancel)) answer = state->EscapeAnswer;
        if (answer == IDOK && !(state->Buttons & mbOK)) answer = 0;
        for (const auto& b : kButtons)
            if (b.Answer == answer && (state->Buttons & b.Bit)) {
                EndDialog(dialog, answer);
                return TRUE;
            }
        return TRUE;
    }
    }
    return FALSE;
}
} // namespace

int MessageDialog(const std::string& text, uint8_t kind, uint16_t buttons) {
    TDialogState state;
    state.Text = text;
    state.Kind = kind < 4 ? kind : uint8_t(mtWarning);
    // A dialog without buttons could never be closed.
    state.Buttons = (buttons & 0x7F) ? (buttons & 0x7F) : mbOK;
    state.DefaultAnswer = DefaultAnswerOf(state.Buttons);
    state.EscapeAnswer = EscapeAnswerOf(state.Buttons);
    state.Font = MessageFont();

    // An empty template: the dialog lays out its own controls.
    struct {
        DLGTEMPLATE Template;
        WORD Menu, WindowClass, Title;
    } empty{};
    empty.Template.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    empty.Template.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    const INT_PTR answer =
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.Template, GetActiveWindow(),
                                DialogProc, reinterpret_cast<LPARAM>(&state));
    return answer > 0 ? int(answer) : state.EscapeAnswer;
}
