// The destination page: the folder edit, the folder list and the drive
// list. The two lists never call each other: each tells the page of its
// change, and the page moves the other one and the edit. The page hands
// the typed destination to the run when it is left with Next.
#pragma once

#include "engine/install_run.h"
#include "wizard/directory_list_box.h"
#include "wizard/drive_combo_box.h"
#include "wizard/layout.h"
#include "wizard/page_question.h"

#include <windows.h>

class TDestinationPage {
  public:
    explicit TDestinationPage(TInstallRun& run) : Run_(run) {}
    TDestinationPage(const TDestinationPage&) = delete;
    TDestinationPage& operator=(const TDestinationPage&) = delete;

    // Takes over the page's controls, built by the layout under `dialog`,
    // and shows the chosen destination: the edit all of it, the lists the
    // nearest existing folder.
    void Attach(HWND dialog, const HWND (&controls)[kControlCount]);

    // The dialog's WM_COMMAND and WM_DRAWITEM for the page's controls;
    // false for any other control.
    bool Notify(TCtl control, UINT code);
    bool DrawItem(const DRAWITEMSTRUCT& item) const;

    // Next: the run takes the typed folder over, and the edit shows it
    // tidied; a folder the run refuses is refused with a warning, and the
    // edit keeps the focus.
    bool TakeDestination(const TPageAsk& ask);
    // Timer 2, on every page: follows drives that came or went.
    void RefreshDriveList();

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    void DestDirLstBxChange();
    void DestDirCmbBxChange();
    void FollowFolderDrive();

    TInstallRun& Run_;
    HWND Dialog_ = nullptr;
    const HWND* Controls_ = nullptr;
    TDirectoryListBox DestDirList_;
    TDriveComboBox DestDirDrives_;
};
