#include "wizard/check_box_pages.h"

#include "system/associations.h"
#include "system/data_folders.h"
#include "system/shortcuts.h"

namespace {
// The association boxes, in the order of the document types ("A" to "D").
constexpr TCtl kAssocBoxes[kDocumentTypes] = {TCtl::AssocChkBx1, TCtl::AssocChkBx2,
                                              TCtl::AssocChkBx3, TCtl::AssocChkBx4};
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
    const bool portable = IsPortable(Choices.DestDir);
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
        SetChecked(kAssocBoxes[box], Choices.DocumentTypes.Has(box));
}

void TCheckBoxPages::TakeShortcuts() {
    Choices.InstallToAll = IsChecked(TCtl::InstallToAllChkBx);
    Choices.Desktop = IsChecked(TCtl::DesktopChkBx);
}

void TCheckBoxPages::TakeDocumentTypes() {
    for (int box = 0; box < kDocumentTypes; ++box)
        Choices.DocumentTypes.Set(box, IsChecked(kAssocBoxes[box]));
}

void TCheckBoxPages::TakeLaunch() {
    Choices.Launch = IsChecked(TCtl::FinishChkBx);
}
