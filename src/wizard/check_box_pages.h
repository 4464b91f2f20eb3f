// The check boxes of the last pages: the shortcut boxes of the Ready page,
// the document types of the associations page and the launch box of the
// Finish page. The document types chosen are written into the wizard's
// choices by these pages alone.
#pragma once

#include "system/settings.h"
#include "wizard/layout.h"

#include <windows.h>

#include <string>

class TCheckBoxPages {
  public:
    // What the settings keep of the boxes, read as the window closes.
    struct TBoxChoices {
        bool InstallToAll = true, Desktop = true, Launch = true;
    };

    explicit TCheckBoxPages(TOptions& options) : Options(options) {}
    TCheckBoxPages(const TCheckBoxPages&) = delete;
    TCheckBoxPages& operator=(const TCheckBoxPages&) = delete;

    // Takes over the boxes, built by the layout, ticked as an earlier run left them.
    void Attach(const HWND (&controls)[kControlCount], const TSavedSettings& saved);

    // Entering the Ready page: a portable installation has no shortcut
    // boxes, and a user who may not write links for everyone gets links of
    // their own.
    void EnterStart();
    // Entering the associations page: the boxes of Options.Extensions.
    void EnterAssoc();
    // The finish step, run as the Finish page is entered.
    void RunFinish(bool portable);
    // Whether the Finish page's box asks for the word processor to start.
    bool LaunchChecked() const { return IsChecked(TCtl::FinishChkBx); }

    // The boxes go with the window; what the settings need of them is kept
    // when it closes.
    void RememberChoices();
    const TBoxChoices& Remembered() const { return Remembered_; }

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    bool IsChecked(TCtl control) const;
    void SetChecked(TCtl control, bool checked);

    TOptions& Options;
    const HWND* Controls_ = nullptr;
    TBoxChoices Remembered_;
};
