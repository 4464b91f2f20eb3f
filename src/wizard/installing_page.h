// The Installing page: it starts the installation run and shows its
// progress on the wizard's timer.
#pragma once

#include "engine/install_run.h"
#include "wizard/layout.h"
#include "wizard/page_question.h"

#include <windows.h>

#include <string>

class TInstallingPage {
  public:
    explicit TInstallingPage(TInstallRun& run) : Run_(run) {}
    TInstallingPage(const TInstallingPage&) = delete;
    TInstallingPage& operator=(const TInstallingPage&) = delete;

    void Attach(const HWND (&controls)[kControlCount]) { Controls_ = controls; }

    // Starts the run with the choices made so far; false when it cannot
    // start (TInstallRun::StartFailure).
    bool Start();
    // Timer 1: the progress and the component shown, a question of the
    // thread's asked.
    TInstallRun::TCopy Poll(const TPageAsk& ask);

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }

    TInstallRun& Run_;
    const HWND* Controls_ = nullptr;
};
