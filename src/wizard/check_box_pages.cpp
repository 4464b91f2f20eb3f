#include "wizard/check_box_pages.h"

#include "system/associations.h"
#include "system/data_folders.h"
#include "system/shortcuts.h"

namespace {
// The association boxes and the letters that stand for them.
constexpr struct {
    TCtl Box;
    char Letter;
} kAssocBoxes[] = {
    {TCtl::AssocChkBx1, 'A'},
    {TCtl::AssocChkBx2, 'B'},
    {TCtl::AssocChkBx3, 'C'},
    {TCtl::AssocChkBx4, 'D'},
};
} // namespace

void TCheckBoxPages::Attach(const HWND (&controls)[kControlCount]) {
    Controls_ = controls;
    SetChecked(TCtl::InstallToAllChkBx, Choices.InstallToAll);
    SetChecked(TCtl::DesktopChkBx, Choices.Desktop);
    SetChecked(TCtl::FinishChkBx, Choices.Launch);
}

bool TCheckBoxPages::IsChecked(TCtl control) const {
    return SendMessageA(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBoxPages::SetChecked(TCtl control, bool checked) {
    SendMessageA(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBoxPages::EnterStart(TInstallScope scope) {
    const bool portable = IsPortable(Choices.Options.DestDir);
    const int show = portable ? SW_HIDE : SW_SHOW;
    ShowWindow(Item(TCtl::InstallToAllChkBx), show);
    ShowWindow(Item(TCtl::DesktopChkBx), show);
    // Links for everyone that could not be saved would leave no link at
    // all: a user who may not write them gets the links of their own.
    if (!portable && (scope == TInstallScope::ForMe || !CanPlaceCommonShortcuts())) {
        SetChecked(TCtl::InstallToAllChkBx, false);
        EnableWindow(Item(TCtl::InstallToAllChkBx), FALSE);
    }
}

void TCheckBoxPages::EnterAssoc() {
    for (int box = 0; box < kDocumentTypes; ++box)
        SetChecked(kAssocBoxes[box].Box, DocumentTypeChosen(Choices.Options.Extensions, box));
}

// The common data file, the document types and the shortcuts, before the
// page shows.
void TCheckBoxPages::RunFinish(TInstallRun& run) {
    for (int box = 0; box < kDocumentTypes; ++box)
        Choices.DocumentTypes[box] = IsChecked(kAssocBoxes[box].Box);
    Choices.InstallToAll = IsChecked(TCtl::InstallToAllChkBx);
    Choices.Desktop = IsChecked(TCtl::DesktopChkBx);
    run.Finish();
}

void TCheckBoxPages::RememberChoices() {
    Choices.InstallToAll = IsChecked(TCtl::InstallToAllChkBx);
    Choices.Desktop = IsChecked(TCtl::DesktopChkBx);
    Choices.Launch = IsChecked(TCtl::FinishChkBx);
}
