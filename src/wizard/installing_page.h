// The Installing page: it starts the install thread and follows it on the
// wizard's timer, through the handshake of InstallStatus.
#pragma once

#include "system/settings.h"
#include "wizard/layout.h"
#include "wizard/page_question.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class TInstallThread;

class TInstallingPage {
  public:
    // What a tick of the timer found.
    enum class TProgress : uint8_t { Running, Done, Failed };

    TInstallingPage();
    ~TInstallingPage(); // the thread object waits for its thread
    TInstallingPage(const TInstallingPage&) = delete;
    TInstallingPage& operator=(const TInstallingPage&) = delete;

    void Attach(const HWND (&controls)[kControlCount]) { Controls_ = controls; }

    // Decides once whether the installation is portable, plans it for the
    // components chosen and starts the thread.
    void Start(const TOptions& options, uint8_t components, int32_t lastRunVersion);
    // Timer 1: the progress shown, a question of the thread's asked.
    TProgress Poll(const TPageAsk& ask);
    bool Started() const { return Thread_ != nullptr; }
    // Waits until the thread, if one was started, has ended.
    void WaitFor();

    // IsPortable when the installation began.
    bool Portable() const { return Portable_; }
    // When the installation's plan was made, for the launch step.
    double Stamp() const { return Stamp_; }

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }

    const HWND* Controls_ = nullptr;
    std::unique_ptr<TInstallThread> Thread_;
    double Stamp_ = 0;
    bool Portable_ = false;
};
