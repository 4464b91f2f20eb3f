// Puts an owner object in front of a control's own window procedure: the
// owner's HandleMessage sees every message first and passes on what it does
// not take through CallOwn. The control gets its own procedure back when it
// is destroyed (the owner hears of it through ControlGone) or when the
// owner goes first. The procedures are set and called through the wide
// calls: the narrow ones would turn a Unicode control into an ANSI one,
// and a typed or listed name outside the code page would be lost.
#pragma once

#include <windows.h>

template <class TOwner> class TSubclass {
  public:
    explicit TSubclass(TOwner& owner) : Owner_(owner) {}
    ~TSubclass() { Restore(); }
    TSubclass(const TSubclass&) = delete;
    TSubclass& operator=(const TSubclass&) = delete;

    void Attach(HWND control) {
        Restore();
        Control_ = control;
        SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        Own_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Route)));
    }

    // The control's own handling of a message.
    LRESULT CallOwn(UINT msg, WPARAM wp, LPARAM lp) const {
        return CallWindowProcW(Own_, Control_, msg, wp, lp);
    }

  private:
    static LRESULT CALLBACK Route(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TSubclass*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(wnd, msg, wp, lp);
        if (msg != WM_NCDESTROY) return self->Owner_.HandleMessage(msg, wp, lp);
        const WNDPROC own = self->Own_;
        self->Restore();
        self->Owner_.ControlGone();
        return CallWindowProcW(own, wnd, msg, wp, lp);
    }

    void Restore() {
        if (!Control_) return;
        SetWindowLongPtrW(Control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Own_));
        SetWindowLongPtrA(Control_, GWLP_USERDATA, 0);
        Control_ = nullptr;
    }

    TOwner& Owner_;
    HWND Control_ = nullptr;
    WNDPROC Own_ = nullptr;
};
