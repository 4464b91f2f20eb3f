#include "wizard/destination_page.h"

#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine/question_numbers.h"
#include "wizard/destination_path.h"
#include "wizard/drive_changes.h"

#include <shlobj.h>

#include <cctype>
#include <string>

void TDestinationPage::Attach(HWND dialog, const HWND (&controls)[kControlCount]) {
    Dialog_ = dialog;
    Controls_ = controls;
    // The folder list starts on the drive of the process's current folder,
    // as the drive list does, and then moves to the destination. The events
    // are heard only afterwards: the edit keeps the whole destination, even
    // a folder that does not exist yet.
    DestDirList_.Attach(Item(TCtl::DestDirLstBx));
    DestDirDrives_.Attach(Item(TCtl::DestDirCmbBx));
    if (DestDirDrives_.Drive()) DestDirList_.SetDrive(DestDirDrives_.Drive());
    SetControlText(Item(TCtl::DestDirEdt), TCtl::DestDirEdt, Run_.Choices.DestDir);
    DestDirList_.SetDirectory(Run_.Choices.DestDir);
    FollowFolderDrive();
    DestDirList_.OnChange = [this] { DestDirLstBxChange(); };
    DestDirDrives_.OnChange = [this] { DestDirCmbBxChange(); };
}

bool TDestinationPage::Notify(TCtl control, UINT code) {
    if (control != TCtl::DestDirCmbBx) return false;
    DestDirDrives_.Notify(code);
    return true;
}

bool TDestinationPage::DrawItem(const DRAWITEMSTRUCT& item) const {
    const TCtl drawn = ControlFromId(int(item.CtlID));
    if (drawn == TCtl::DestDirLstBx) DestDirList_.DrawItem(item);
    if (drawn == TCtl::DestDirCmbBx) DestDirDrives_.DrawItem(item);
    return drawn == TCtl::DestDirLstBx || drawn == TCtl::DestDirCmbBx;
}

bool TDestinationPage::TakeDestination(const TPageAsk& ask) {
    // A folder the files could not be written to, or would be written to
    // under another name than the one recorded, is refused here rather
    // than in a run of questions about every file.
    HWND edit = Item(TCtl::DestDirEdt);
    const TTakenDestination taken = Run_.TakeDestination(WindowText(edit), DestDirDrives_.Drive());
    SetControlText(edit, TCtl::DestDirEdt, taken.Folder);
    if (taken.Refusal.empty()) return true;
    ask(taken.Refusal, mtWarning, mbOK);
    SendMessageA(Dialog_, WM_NEXTDLGCTL, WPARAM(edit), TRUE);
    return false;
}

// The folder list moved: the drive list follows its drive, and the edit its
// folder. Typing in the edit does not move the list.
void TDestinationPage::DestDirLstBxChange() {
    FollowFolderDrive();
    SetControlText(Item(TCtl::DestDirEdt), TCtl::DestDirEdt,
                   TidiedDestination(DestDirList_.Directory(), DestDirDrives_.Drive()));
}

// The drive list's own change comes back here through the folder list,
// which is on that drive already: the drives are equal, and it ends.
void TDestinationPage::FollowFolderDrive() {
    const std::string& folder = DestDirList_.Directory();
    if (DrivePart(folder).size() != 2) return;
    const char drive = char(std::tolower(static_cast<unsigned char>(folder[0])));
    if (drive != DestDirDrives_.Drive()) DestDirDrives_.SetDrive(drive);
}

// The drive list moved: the folder list follows it to the new drive.
void TDestinationPage::DestDirCmbBxChange() {
    DestDirList_.SetDrive(DestDirDrives_.Drive());
}

// A drive that came moves the lists and the edit to it; the loss of the
// current drive moves them to the Program Files folder.
void TDestinationPage::RefreshDriveList() {
    const uint32_t before = DestDirDrives_.DriveMask();
    if (PresentDrives() == before) return;
    DestDirDrives_.BuildList();
    const TDriveChange change = DriveChange(DestDirDrives_.DriveMask(), before,
                                            DestDirDrives_.ListedDrives(), DestDirDrives_.Drive());
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    if (change.Kind == TDriveChangeKind::NewDrive) {
        DestDirDrives_.SetDrive(change.Letter);
    } else if (change.Kind == TDriveChangeKind::ProgramFiles && programFiles.size() >= 2 &&
               programFiles[1] == ':') {
        DestDirDrives_.SetDrive(programFiles[0]);
    } else {
        DestDirDrives_.SelectCurrentDrive();
    }
}
