// The check boxes of the last pages: the shortcut boxes of the Ready page,
// the document types of the associations page and the launch box of the
// Finish page. Each shows the run's choices on entry and writes what its
// boxes say back into them when it is left with Next (and when the wizard
// closes on it).
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
    // Entering the associations page: the boxes of the chosen document types.
    void EnterAssoc();

    // Leaving the Ready, associations and Finish pages: what their boxes say.
    void TakeShortcuts();
    void TakeDocumentTypes();
    void TakeLaunch();

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    bool IsChecked(TCtl control) const;
    void SetChecked(TCtl control, bool checked);

    TInstallChoices& Choices;
    const HWND* Controls_ = nullptr;
};
