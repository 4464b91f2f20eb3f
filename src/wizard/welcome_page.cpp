#include "wizard/welcome_page.h"

#include <commctrl.h>

void TWelcomePage::Attach(HWND dialog, const HWND (&controls)[kControlCount]) {
    Dialog_ = dialog;
    Controls_ = controls;
    SendMessageA(Item(TCtl::PreparingProgressBar), PBM_SETRANGE32, 0, 100);
}

bool TWelcomePage::ReadyForNext() {
    if (Loading_.State() == TCatalogueLoading::TState::Loaded) return true;
    if (!Held_) {
        Held_ = true;
        ShowPreparing(true);
    }
    return false;
}

TWelcomePage::TTick TWelcomePage::Poll() {
    Loading_.Start();
    switch (Loading_.State()) {
    case TCatalogueLoading::TState::Loading:
        if (Held_)
            SendMessageA(Item(TCtl::PreparingProgressBar), PBM_SETPOS, WPARAM(Loading_.Percent()),
                         0);
        return TTick::Nothing;
    case TCatalogueLoading::TState::Loaded:
        if (!Held_) return TTick::Nothing;
        Held_ = false;
        ShowPreparing(false);
        return TTick::GoOn;
    case TCatalogueLoading::TState::Failed:
    case TCatalogueLoading::TState::Stopped:
        break;
    }
    return TTick::Failed;
}

// While Next is held it is disabled; a button that loses its use must not
// keep the keyboard, or Esc would reach nothing.
void TWelcomePage::ShowPreparing(bool shown) {
    HWND next = Item(TCtl::NextBtn);
    if (shown) {
        SendMessageA(Item(TCtl::PreparingProgressBar), PBM_SETPOS, WPARAM(Loading_.Percent()), 0);
        if (GetFocus() == next)
            SendMessageA(Dialog_, WM_NEXTDLGCTL, WPARAM(Item(TCtl::CancelBtn)), TRUE);
    }
    EnableWindow(next, !shown);
    if (!shown) SendMessageA(Dialog_, WM_NEXTDLGCTL, WPARAM(next), TRUE);
    ShowWindow(Item(TCtl::PreparingLbl), shown ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(TCtl::PreparingProgressBar), shown ? SW_SHOW : SW_HIDE);
}
