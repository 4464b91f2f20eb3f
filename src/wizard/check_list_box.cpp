#include "wizard/check_list_box.h"

#include "base/scoped_win.h"
#include "wizard/check_list_accessible.h"
#include "wizard/messages.h"
#include "wizard/screen_dpi.h"

#include <algorithm>

namespace {
// The size of one box: one cell of the system's check-box bitmap, which
// holds four columns and three rows of them. Above 96 pixels per inch a
// system may keep that bitmap at its small size; the box then takes the
// size of a check mark at the screen's density, as other check boxes do.
SIZE SystemBoxSize() {
    SIZE size{13, 13};
    if (const TBitmapHandle boxes{LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES))}) {
        BITMAP info{};
        if (GetObjectA(boxes.Get(), sizeof info, &info) && info.bmWidth >= 4 && info.bmHeight >= 3)
            size = {info.bmWidth / 4, info.bmHeight / 3};
    }
    if (ScreenDpi() > 96) {
        size.cx = std::max(size.cx, LONG(GetSystemMetrics(SM_CXMENUCHECK)));
        size.cy = std::max(size.cy, LONG(GetSystemMetrics(SM_CYMENUCHECK)));
    }
    return size;
}
} // namespace

void TCheckListBox::Attach(HWND list) {
    Handle_ = list;
    Box_ = SystemBoxSize();
    Subclass_.Attach(list);
}

int TCheckListBox::Add(const std::string& text, TCheckState state) {
    const auto row = int(SendMessageA(Handle_, LB_ADDSTRING, 0, LPARAM(text.c_str())));
    if (row < 0) return row;
    States_.insert(States_.begin() + row, state);
    Objects_.insert(Objects_.begin() + row, 0);
    return row;
}

TCheckState TCheckListBox::State(int row) const {
    return row >= 0 && row < Count() ? States_[row] : TCheckState::Unchecked;
}

void TCheckListBox::SetState(int row, TCheckState state) {
    if (row < 0 || row >= Count() || States_[row] == state) return;
    States_[row] = state;
    RECT r;
    if (Handle_ && SendMessageA(Handle_, LB_GETITEMRECT, row, LPARAM(&r)) != LB_ERR)
        InvalidateRect(Handle_, &r, FALSE);
    if (Handle_) NotifyCheckStateChange(Handle_, row);
}

int32_t TCheckListBox::Object(int row) const {
    return row >= 0 && row < Count() ? Objects_[row] : 0;
}

void TCheckListBox::SetObject(int row, int32_t value) {
    if (row >= 0 && row < Count()) Objects_[row] = value;
}

void TCheckListBox::SetSelected(int row) {
    SendMessageA(Handle_, LB_SETCURSEL, row, 0);
}

void TCheckListBox::Toggle(int row) {
    if (row < 0 || row >= Count()) return;
    SetState(row,
             State(row) == TCheckState::Unchecked ? TCheckState::Checked : TCheckState::Unchecked);
    SendMessageA(GetParent(Handle_), WM_QV_CLICKCHECK, WPARAM(row), LPARAM(Handle_));
}

int TCheckListBox::BoxColumnWidth() const {
    return Box_.cx + 2;
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == UINT(-1)) return;
    const int row = int(item.itemID);
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;

    // The box column keeps the list's own background, selected or not.
    RECT column{r.left, r.top, r.left + BoxColumnWidth(), r.bottom};
    FillRect(dc, &column, GetSysColorBrush(COLOR_WINDOW));
    const TCheckState state = State(row);
    RECT box;
    box.left = column.left + (column.right - column.left - Box_.cx) / 2;
    box.top = column.top + (column.bottom - column.top - Box_.cy) / 2;
    box.right = box.left + Box_.cx;
    box.bottom = box.top + Box_.cy;
    UINT look = DFCS_BUTTONCHECK;
    if (state != TCheckState::Unchecked) look |= DFCS_CHECKED;
    if (state == TCheckState::Grayed) look |= DFCS_INACTIVE;
    DrawFrameControl(dc, &box, DFC_BUTTON, look);

    // The rest of the row is the owner's, drawn with the colours of the
    // row's state already in the device context.
    RECT rest{column.right, r.top, r.right, r.bottom};
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const int back = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    const int fore = selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
    const int savedDc = SaveDC(dc);
    SetBkColor(dc, GetSysColor(back));
    SetTextColor(dc, GetSysColor(fore));
    SelectObject(dc, GetSysColorBrush(back));
    if (OnDrawItem) {
        OnDrawItem(dc, row, rest, selected);
    } else {
        FillRect(dc, &rest, GetSysColorBrush(back));
    }
    RestoreDC(dc, savedDc);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rest);
}

LRESULT TCheckListBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND wnd = Handle_;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The list selects the row first; a press inside the box column
        // then toggles it (a quick second press as well).
        const LRESULT result = Subclass_.CallOwn(msg, wp, lp);
        const LRESULT hit = SendMessageA(wnd, LB_ITEMFROMPOINT, 0, lp);
        const int x = short(LOWORD(lp));
        if (HIWORD(hit) == 0 && x >= 0 && x < BoxColumnWidth()) Toggle(int(LOWORD(hit)));
        return result;
    }
    case WM_GETOBJECT:
        // Screen readers: the rows with their check states.
        if (const LRESULT object = AccessibleCheckList(wnd, wp, lp)) return object;
        break;
    case WM_QV_GETCHECKSTATE:
        return LRESULT(State(int(wp)));
    case WM_CHAR:
        if (wp == ' ') {
            const auto row = int(SendMessageA(wnd, LB_GETCURSEL, 0, 0));
            if (row >= 0) Toggle(row);
            return 0;
        }
        break;
    }
    return Subclass_.CallOwn(msg, wp, lp);
}
