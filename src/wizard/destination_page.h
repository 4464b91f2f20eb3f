// The destination page: the folder edit, the folder list and the drive
// list. The two lists never call each other: each tells the page of its
// change, and the page moves the other one and the edit. The page alone
// writes the destination into the wizard's choices, when Next takes it.
#pragma once

#include "engine/install_run.h"
#include "system/settings.h"
#include "wizard/directory_list_box.h"
#include "wizard/drive_combo_box.h"
#include "wizard/layout.h"
#include "wizard/page_question.h"

#include <windows.h>

class TDestinationPage {
  public:
    explicit TDestinationPage(TOptions& options) : Options(options) {}
    TDestinationPage(const TDestinationPage&) = delete;
    TDestinationPage& operator=(const TDestinationPage&) = delete;

    // Takes over the page's controls, built by the layout under `dialog`,
    // and shows Options.DestDir: the edit all of it, the lists the nearest
    // existing folder.
    void Attach(HWND dialog, const HWND (&controls)[kControlCount]);

    // The dialog's WM_COMMAND and WM_DRAWITEM for the page's controls;
    // false for any other control.
    bool Notify(TCtl control, UINT code);
    bool DrawItem(const DRAWITEMSTRUCT& item) const;

    // The check on Next: the typed folder tidied, then refused with a
    // warning (the edit keeps the focus) as the installation run refuses
    // a destination, or taken into Options.DestDir.
    bool TakeDestination(const TPageAsk& ask, const TInstallRun& run);

    // Tidies the typed destination in place: see NormalizedDestination.
    void NormalizeDestination();
    // Timer 2, on every page: follows drives that came or went.
    void RefreshDriveList();

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    void DestDirLstBxChange();
    void DestDirCmbBxChange();
    void FollowFolderDrive();

    TOptions& Options;
    HWND Dialog_ = nullptr;
    const HWND* Controls_ = nullptr;
    TDirectoryListBox DestDirList_;
    TDriveComboBox DestDirDrives_;
};
