// The components page: the list of components with the space each needs on
// the destination's volume, and the totals under it that decide whether
// Next may be pressed. The sizes and the verdict are the run's; the page
// writes the components ticked into the run's choices when it is left with
// Next.
#pragma once

#include "engine/install_run.h"
#include "payload/components.h"
#include "wizard/check_list_box.h"
#include "wizard/layout.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class TComponentsPage {
  public:
    explicit TComponentsPage(TInstallRun& run) : Run_(run) {}
    TComponentsPage(const TComponentsPage&) = delete;
    TComponentsPage& operator=(const TComponentsPage&) = delete;

    // The height of the list's rows, asked for while the list is being
    // created, before it is taken over.
    static UINT RowHeight(int dpi);

    // Takes over the page's controls, built by the layout under `dialog`,
    // and ticks the chosen components.
    void Attach(HWND dialog, const HWND (&controls)[kControlCount]);

    // The dialog's WM_DRAWITEM for the list.
    void DrawItem(const DRAWITEMSTRUCT& item) const { SelCompList_.DrawItem(item); }
    // The list's WM_QV_CLICKCHECK.
    void SelCompLstBxClickCheck();

    // The space each row's component needs on the destination volume,
    // measured anew on every entry: the destination or its cluster size may
    // have changed.
    void MeasureComponents();
    void RefreshDiskSpace();

    // Next: the components ticked become the chosen ones.
    void TakeComponents();

  private:
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    void SelCompLstBxDrawItem(HDC dc, int row, const RECT& rest, bool selected);
    // The components ticked or always installed.
    TComponentSet SelectedComponents() const;

    TInstallRun& Run_;
    HWND Dialog_ = nullptr;
    const HWND* Controls_ = nullptr;
    TCheckListBox SelCompList_;
    std::vector<uint8_t> ComponentIds;
};
