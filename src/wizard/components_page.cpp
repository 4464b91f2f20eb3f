#include "wizard/components_page.h"

#include "payload/components.h"
#include "payload/disk_space.h"
#include "payload/size_text.h"

#include <string>

namespace {
constexpr int kRowHeight = 16;
// What the available space reads when the volume cannot be asked.
constexpr char kUnknownSpace[] = "unknown";
constexpr char kSelCompCaption[] =
    "Uncheck boxes for the &components that you do not wish to install or upgrade (the "
    "required disk space is displayed on the right):";
} // namespace

UINT TComponentsPage::RowHeight(int dpi) {
    return UINT(MulDiv(kRowHeight, dpi, 96));
}

void TComponentsPage::Attach(HWND dialog, const HWND (&controls)[kControlCount]) {
    Dialog_ = dialog;
    Controls_ = controls;
    SelCompList_.Attach(Item(TCtl::SelCompLstBx));
    SelCompList_.OnDrawItem = [this](HDC dc, int row, const RECT& rest, bool selected) {
        SelCompLstBxDrawItem(dc, row, rest, selected);
    };
    for (uint8_t component = 0; component < ComponentCount; ++component) {
        const bool ticked = Run_.Choices.Components.Has(component);
        SelCompList_.Add(ComponentNames[component],
                         ticked ? TCheckState::Checked : TCheckState::Unchecked);
        ComponentIds.push_back(component);
    }
    // The keyboard starts on an optional component; the first one is
    // always installed.
    SelCompList_.SetSelected(1);
    SelCompList_.SetState(0, TCheckState::Grayed);
    SetControlText(Item(TCtl::SelCompLbl), TCtl::SelCompLbl, kSelCompCaption);
}

void TComponentsPage::MeasureComponents() {
    Run_.MeasureComponents();
    for (int row = 0; row < SelCompList_.Count(); ++row)
        SelCompList_.SetObject(row, int32_t(Run_.ComponentSize(ComponentIds[size_t(row)])));
}

void TComponentsPage::SelCompLstBxClickCheck() {
    // The first component is always installed: its row stays grayed, and
    // the totals have not changed.
    if (SelCompList_.State(0) != TCheckState::Grayed) {
        SelCompList_.SetState(0, TCheckState::Grayed);
        return;
    }
    RefreshDiskSpace();
}

void TComponentsPage::SelCompLstBxDrawItem(HDC dc, int row, const RECT& rest, bool) {
    FillRect(dc, &rest, HBRUSH(GetCurrentObject(dc, OBJ_BRUSH)));
    // The first component's row reads as inactive, selected or not.
    if (ComponentIds[size_t(row)] == kProgram) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    HWND list = Item(TCtl::SelCompLstBx);
    std::string name(size_t(SendMessageA(list, LB_GETTEXTLEN, row, 0)) + 1, '\0');
    name.resize(size_t(SendMessageA(list, LB_GETTEXT, row, LPARAM(&name[0]))));
    // Already in whole clusters of the volume the component's files go to.
    const std::string size = FormatSize(SelCompList_.Object(row));
    const int height = rest.bottom - rest.top;
    SIZE extent{};
    GetTextExtentPoint32A(dc, name.c_str(), int(name.size()), &extent);
    TextOutA(dc, rest.left + 2, rest.top + (height - extent.cy) / 2, name.c_str(),
             int(name.size()));
    GetTextExtentPoint32A(dc, size.c_str(), int(size.size()), &extent);
    TextOutA(dc, rest.right - extent.cx - 2, rest.top + (height - extent.cy) / 2, size.c_str(),
             int(size.size()));
}

// The totals under the list and the space test of the Next button, which
// counts each drive the files go to. A volume
// that cannot be asked for its free space (no such drive, no medium, share
// out of reach) would refuse the files as well: Next stays disabled, and the
// available space reads as unknown rather than as 0.
void TComponentsPage::RefreshDiskSpace() {
    const TSpaceVerdict space = Run_.Space(SelectedComponents());
    // The destination's drive, unless the data folders' lacks the space:
    // then that one's, which tells why Next is disabled.
    const TDriveSpace& shown = space.Telling();
    SetControlText(Item(TCtl::SelCompDiskSpaceReqLbl2), TCtl::SelCompDiskSpaceReqLbl2,
                   FormatSize(shown.Required));
    SetControlText(Item(TCtl::SelCompDiskSpaceAvailLbl2), TCtl::SelCompDiskSpaceAvailLbl2,
                   shown.Available == kUnknownFreeSpace ? kUnknownSpace
                                                        : FormatSize(shown.Available));
    HWND next = Item(TCtl::NextBtn);
    const bool enough = space.Enough();
    // A button that loses its use must not keep the keyboard.
    if (!enough && GetFocus() == next)
        SendMessageA(Dialog_, WM_NEXTDLGCTL, WPARAM(Item(TCtl::SelCompLstBx)), TRUE);
    EnableWindow(next, enough);
}

void TComponentsPage::TakeComponents() {
    const TComponentSet selected = SelectedComponents();
    for (int component = 0; component < ComponentCount; ++component)
        Run_.Choices.Components.Set(component, selected.Has(component));
}

TComponentSet TComponentsPage::SelectedComponents() const {
    TComponentSet selected;
    for (int row = SelCompList_.Count() - 1; row >= 0; --row) {
        if (SelCompList_.State(row) == TCheckState::Unchecked) continue;
        const uint8_t component = ComponentIds[size_t(row)];
        if (component < ComponentCount) selected.Add(component);
    }
    return selected;
}
