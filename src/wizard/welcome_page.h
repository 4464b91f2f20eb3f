// The Welcome page, up while the product's files are still being unpacked
// behind it. A Next pressed before they are ready is held: the page shows
// how far the unpacking has come, and the wizard goes on once it is done.
// Nothing that needs the files runs before that, and no other page is shown
// before the files are known to be sound.
#pragma once

#include "payload/catalogue_loading.h"
#include "wizard/layout.h"

#include <windows.h>

#include <cstdint>

class TWelcomePage {
  public:
    explicit TWelcomePage(TCatalogueLoading& loading) : Loading_(loading) {}
    TWelcomePage(const TWelcomePage&) = delete;
    TWelcomePage& operator=(const TWelcomePage&) = delete;

    void Attach(HWND dialog, const HWND (&controls)[kControlCount]);

    // Next on the page: true when the files are ready. Otherwise the Next
    // is held, and the page shows the unpacking until Poll says GoOn.
    bool ReadyForNext();

    // What a tick of the timer found.
    enum class TTick : uint8_t { Nothing, GoOn, Failed };
    // Timer 1: starts the unpacking at the first tick, once the page is up,
    // so that it never holds the first window back, however few
    // processors the machine has. Then the progress of a held Next; GoOn
    // once the files are ready (the page looks as before, Next is to be
    // carried out); Failed when they cannot be had, which ends the wizard.
    TTick Poll();

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    void ShowPreparing(bool shown);

    TCatalogueLoading& Loading_;
    HWND Dialog_ = nullptr;
    const HWND* Controls_ = nullptr;
    bool Held_ = false;
};
