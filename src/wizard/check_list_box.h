// A list box whose rows carry a check box each: an owner-drawn LISTBOX of
// the program's own. The list draws the box column itself and hands the rest
// of each row to its OnDrawItem event; a toggle by mouse or Space tells the
// parent through WM_QV_CLICKCHECK.
#pragma once

#include "wizard/check_state.h"
#include "wizard/subclass.h"
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TCheckListBox {
  public:
    // Draws row `row` into `rest`, the row without its box column.
    using TDrawItem = std::function<void(HDC dc, int row, const RECT& rest, bool selected)>;

    TCheckListBox() : Subclass_(*this) {}
    TCheckListBox(const TCheckListBox&) = delete;
    TCheckListBox& operator=(const TCheckListBox&) = delete;

    // The window styles the list needs, for whoever creates it.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    // Takes over a list box created with kStyle.
    void Attach(HWND list);
    HWND Handle() const { return Handle_; }

    int Add(const std::string& text, TCheckState state);
    int Count() const { return int(States_.size()); }
    TCheckState State(int row) const;
    void SetState(int row, TCheckState state);
    void SetSelected(int row);
    // A number the owner attaches to a row (0 until set).
    int32_t Object(int row) const;
    void SetObject(int row, int32_t value);

    // Unchecked becomes checked, anything else unchecked; then the parent
    // hears of it.
    void Toggle(int row);

    // The parent's WM_DRAWITEM for this list.
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    TDrawItem OnDrawItem;

  private:
    friend class TSubclass<TCheckListBox>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void ControlGone() { Handle_ = nullptr; }
    int BoxColumnWidth() const;

    HWND Handle_ = nullptr;
    SIZE Box_{13, 13};
    std::vector<TCheckState> States_; // kept here so they outlive the window
    std::vector<int32_t> Objects_;    // one per row, as States_
    // Declared last, so gone first: the list has its own procedure back
    // before the rest of this object goes.
    TSubclass<TCheckListBox> Subclass_;
};
