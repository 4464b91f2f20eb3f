// The check boxes of the last pages: the shortcut boxes of the Ready page,
// the document types of the associations page and the launch box of the
// Finish page. What they say is written into the run's choices by these
// pages alone.
#pragma once

#include "engine/install_run.h"
#include "wizard/layout.h"

#include <windows.h>

class TCheckBoxPages {
  public:
    explicit TCheckBoxPages(TInstallChoices& choices) : Choices(choices) {}
    TCheckBoxPages(const TCheckBoxPages&) = delete;
    TCheckBoxPages& operator=(const TCheckBoxPages&) = delete;

    // Takes over the boxes, built by the layout, ticked as the choices say
    // (an earlier run's, or the defaults).
    void Attach(const HWND (&controls)[kControlCount]);

    // Entering the Ready page: a portable installation has no shortcut
    // boxes, and an installation for the user alone, or a user who may not
    // write links for everyone, gets links of the user's own.
    void EnterStart(TInstallScope scope);
    // Entering the associations page: the boxes of the saved letters.
    void EnterAssoc();
    // The finish step of `run`, with the boxes' choices, as the Finish page
    // is entered.
    void RunFinish(TInstallRun& run);
    // Whether the Finish page's box asks for the word processor to start.
    bool LaunchChecked() const { return IsChecked(TCtl::FinishChkBx); }

    // The boxes go with the window; the choices keep what they say.
    void RememberChoices();

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    bool IsChecked(TCtl control) const;
    void SetChecked(TCtl control, bool checked);

    TInstallChoices& Choices;
    const HWND* Controls_ = nullptr;
};
