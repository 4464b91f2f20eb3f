// The check list box of the components page: its rows toggle by Space and
// by a press inside the box column, tell their parent, and draw the box
// column themselves.
#include "wizard/check_list_box.h"

#include "wizard/messages.h"

#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr int kRowHeight = 16;

// A parent window that records what the list tells it.
class TListHost {
  public:
    TListHost() {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = HostProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "CheckListTestHost";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        Window_ = CreateWindowExA(0, "CheckListTestHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                  300, nullptr, nullptr, GetModuleHandleA(nullptr), this);
        HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", TCheckListBox::kStyle, 10, 10,
                                    300, 150, Window_, reinterpret_cast<HMENU>(7),
                                    GetModuleHandleA(nullptr), nullptr);
        List.Attach(list);
        for (const char* name : {"First", "Second", "Third", "Fourth"})
            List.Add(name, TCheckState::Checked);
        List.SetState(0, TCheckState::Grayed);
    }
    ~TListHost() { DestroyWindow(Window_); }

    TCheckListBox List;
    std::vector<int> ClickChecks; // rows, in order

    // A press of the left mouse button at x within row `row`.
    void Press(int row, int x) {
        RECT r{};
        SendMessageA(List.Handle(), LB_GETITEMRECT, row, LPARAM(&r));
        const LPARAM at = MAKELPARAM(x, (r.top + r.bottom) / 2);
        SendMessageA(List.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(List.Handle(), WM_LBUTTONUP, 0, at);
    }
    int Selected() const { return int(SendMessageA(List.Handle(), LB_GETCURSEL, 0, 0)); }

  private:
    static LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(wnd, GWLP_USERDATA,
                              LONG_PTR(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<TListHost*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        switch (msg) {
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = kRowHeight;
            return TRUE;
        case WM_DRAWITEM:
            self->List.DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_QV_CLICKCHECK:
            if (HWND(lp) == self->List.Handle()) self->ClickChecks.push_back(int(wp));
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }

    HWND Window_ = nullptr;
};

int BoxCellWidth() {
    HBITMAP boxes = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32759)); // OBM_CHECKBOXES
    BITMAP info{};
    GetObjectA(boxes, sizeof info, &info);
    DeleteObject(boxes);
    return info.bmWidth / 4;
}
} // namespace

// ---------------------------------------------------------------- toggling

TEST(CheckListBox, ToggleTurnsUncheckedIntoCheckedAndAnythingElseIntoUnchecked) {
    TListHost host;
    host.List.Toggle(1);
    EXPECT_EQ(host.List.State(1), TCheckState::Unchecked);
    host.List.Toggle(1);
    EXPECT_EQ(host.List.State(1), TCheckState::Checked);
    host.List.Toggle(0);
    EXPECT_EQ(host.List.State(0), TCheckState::Unchecked);
    EXPECT_EQ(host.ClickChecks, (std::vector<int>{1, 1, 0}));
}

TEST(CheckListBox, SpaceTogglesTheSelectedRow) {
    TListHost host;
    host.List.SetSelected(2);
    SendMessageA(host.List.Handle(), WM_CHAR, ' ', 0);
    EXPECT_EQ(host.List.State(2), TCheckState::Unchecked);
    EXPECT_EQ(host.List.State(1), TCheckState::Checked);
    EXPECT_EQ(host.ClickChecks, std::vector<int>{2});
}

TEST(CheckListBox, SpaceWithoutASelectedRowDoesNothing) {
    TListHost host;
    host.List.SetSelected(-1);
    SendMessageA(host.List.Handle(), WM_CHAR, ' ', 0);
    EXPECT_TRUE(host.ClickChecks.empty());
    for (int row = 1; row < 4; ++row)
        EXPECT_EQ(host.List.State(row), TCheckState::Checked);
}

TEST(CheckListBox, APressInsideTheBoxColumnSelectsAndToggles) {
    TListHost host;
    host.Press(3, 2);
    EXPECT_EQ(host.Selected(), 3);
    EXPECT_EQ(host.List.State(3), TCheckState::Unchecked);
    // The column is the box's width plus 2 pixels.
    host.Press(1, BoxCellWidth() + 1);
    EXPECT_EQ(host.List.State(1), TCheckState::Unchecked);
    EXPECT_EQ(host.ClickChecks, (std::vector<int>{3, 1}));
}

TEST(CheckListBox, APressOnTheTextOnlySelects) {
    TListHost host;
    host.Press(2, BoxCellWidth() + 2);
    host.Press(3, 150);
    EXPECT_EQ(host.Selected(), 3);
    EXPECT_EQ(host.List.State(2), TCheckState::Checked);
    EXPECT_EQ(host.List.State(3), TCheckState::Checked);
    EXPECT_TRUE(host.ClickChecks.empty());
}

TEST(CheckListBox, SettingAStateTellsNobody) {
    TListHost host;
    host.List.SetState(1, TCheckState::Unchecked);
    EXPECT_EQ(host.List.State(1), TCheckState::Unchecked);
    EXPECT_TRUE(host.ClickChecks.empty());
}

TEST(CheckListBox, RowsOutsideTheListReadAsUncheckedAndIgnoreToggles) {
    TListHost host;
    EXPECT_EQ(host.List.State(-1), TCheckState::Unchecked);
    EXPECT_EQ(host.List.State(4), TCheckState::Unchecked);
    host.List.Toggle(4);
    host.List.SetState(9, TCheckState::Checked);
    EXPECT_EQ(host.List.Count(), 4);
    EXPECT_TRUE(host.ClickChecks.empty());
}

TEST(CheckListBox, RowsCarryANumberOfTheOwnersUntouchedByToggles) {
    TListHost host;
    EXPECT_EQ(host.List.Object(2), 0);
    host.List.SetObject(2, 123456);
    host.List.SetObject(3, -1);
    host.List.Toggle(2);
    EXPECT_EQ(host.List.Object(2), 123456);
    EXPECT_EQ(host.List.Object(3), -1);
    EXPECT_EQ(host.List.Object(1), 0);
    host.List.SetObject(4, 7); // no such row
    EXPECT_EQ(host.List.Object(4), 0);
    EXPECT_EQ(host.List.Add("Fifth", TCheckState::Unchecked), 4);
    EXPECT_EQ(host.List.Object(4), 0);
}

TEST(CheckListBox, RowsKeepTheirTextsForScreenReaders) {
    TListHost host;
    char text[32] = "";
    SendMessageA(host.List.Handle(), LB_GETTEXT, 2, LPARAM(text));
    EXPECT_STREQ(text, "Third");
}

// A screen reader reads the list through its accessible object (oleacc):
// each row is a list item with its name, "checked" when ticked, and
// "checked" and "unavailable" for the fixed row; a toggle shows at once.
// Asked from this process: Wine does not carry such objects between
// processes, so the wizard's own list is not asked from outside.
TEST(CheckListBox, ScreenReadersLearnEachRowsNameAndBox) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); // S_FALSE: already started here
    {
        TListHost host;
        host.List.SetState(2, TCheckState::Unchecked);
        IAccessible* list = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(host.List.Handle(), OBJID_CLIENT,
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&list)),
                  S_OK);
        ASSERT_NE(list, nullptr);
        LONG count = 0;
        EXPECT_EQ(list->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, 4);

        auto state = [&](LONG row) {
            VARIANT child{}, value{};
            child.vt = VT_I4;
            child.lVal = row + 1;
            EXPECT_EQ(list->get_accState(child, &value), S_OK);
            EXPECT_EQ(value.vt, VT_I4);
            return value.lVal & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE);
        };
        const wchar_t* const names[] = {L"First", L"Second", L"Third", L"Fourth"};
        for (LONG row = 0; row < 4; ++row) {
            SCOPED_TRACE(row);
            VARIANT child{}, role{};
            child.vt = VT_I4;
            child.lVal = row + 1;
            BSTR name = nullptr;
            ASSERT_EQ(list->get_accName(child, &name), S_OK);
            EXPECT_STREQ(name, names[row]);
            SysFreeString(name);
            ASSERT_EQ(list->get_accRole(child, &role), S_OK);
            EXPECT_EQ(role.vt, VT_I4);
            EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM);
        }
        EXPECT_EQ(state(0), STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE);
        EXPECT_EQ(state(1), STATE_SYSTEM_CHECKED);
        EXPECT_EQ(state(2), 0);
        EXPECT_EQ(state(3), STATE_SYSTEM_CHECKED);
        host.List.Toggle(2);
        host.List.Toggle(3);
        EXPECT_EQ(state(2), STATE_SYSTEM_CHECKED);
        EXPECT_EQ(state(3), 0);
        list->Release();
    }
    OleUninitialize();
}

// ---------------------------------------------------------------- drawing

namespace {
// The pixels of a row's box column as the list draws it.
std::vector<COLORREF> BoxColumnPixels(TListHost& host, int row) {
    const int width = BoxCellWidth() + 2;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, kRowHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = UINT(row);
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = host.List.Handle();
    item.hDC = dc;
    item.rcItem = {0, 0, 200, kRowHeight};
    host.List.DrawItem(item);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kRowHeight; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}
} // namespace

TEST(CheckListBox, DrawsUncheckedCheckedAndGrayedBoxesApart) {
    TListHost host; // row 0 grayed, the others checked
    host.List.SetState(2, TCheckState::Unchecked);
    const auto grayed = BoxColumnPixels(host, 0);
    const auto checked = BoxColumnPixels(host, 1);
    const auto unchecked = BoxColumnPixels(host, 2);
    EXPECT_NE(grayed, checked);
    EXPECT_NE(grayed, unchecked);
    EXPECT_NE(checked, unchecked);
    // The same state draws the same box.
    EXPECT_EQ(checked, BoxColumnPixels(host, 3));
}

TEST(CheckListBox, DrawsTheBoxColumnAndHandsTheRestToItsOwner) {
    TListHost host;
    RECT handed{};
    int drawnRow = -1;
    bool drawnSelected = false;
    host.List.OnDrawItem = [&](HDC, int row, const RECT& rest, bool selected) {
        drawnRow = row;
        handed = rest;
        drawnSelected = selected;
    };

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, kRowHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 200, kRowHeight};
    FillRect(dc, &all, HBRUSH(GetStockObject(BLACK_BRUSH)));

    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = 2;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = ODS_SELECTED;
    item.hwndItem = host.List.Handle();
    item.hDC = dc;
    item.rcItem = all;
    host.List.DrawItem(item);

    EXPECT_EQ(drawnRow, 2);
    EXPECT_TRUE(drawnSelected);
    EXPECT_EQ(handed.left, BoxCellWidth() + 2);
    EXPECT_EQ(handed.right, 200);
    EXPECT_EQ(handed.top, 0);
    EXPECT_EQ(handed.bottom, kRowHeight);
    // The column got the list's background, not the selection colour, and
    // the box was drawn in it (something else than the background).
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_WINDOW));
    bool boxDrawn = false;
    for (int x = 0; x < BoxCellWidth() + 2; ++x)
        for (int y = 0; y < kRowHeight; ++y)
            if (GetPixel(dc, x, y) != GetSysColor(COLOR_WINDOW)) boxDrawn = true;
    EXPECT_TRUE(boxDrawn);

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
