// The drive list of the destination page: an owner-drawn drop-down list of
// the drives C to Z (CD-ROM drives left out), each shown as "x: name" with
// a fixed or a removable drive's picture. Choosing a drive moves the linked
// folder list to it.
#pragma once

#include "wizard/list_picture.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class TDriveComboBox {
  public:
    // The window styles the list needs, for whoever creates it.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL |
                                    CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;

    TDriveComboBox() = default;
    TDriveComboBox(const TDriveComboBox&) = delete;
    TDriveComboBox& operator=(const TDriveComboBox&) = delete;

    // Takes over a combo box created with kStyle (its font already set):
    // loads the pictures, builds the list and selects the drive of the
    // current folder.
    void Attach(HWND combo);
    HWND Handle() const { return Handle_; }

    // Re-reads the drives; afterwards no item is selected.
    void BuildList();
    // Selects the drive, then OnChange fires.
    // Nothing happens for the drive already selected.
    void SetDrive(char letter);
    // Selects the item of the current drive again, telling nobody (after
    // the list was rebuilt).
    void SelectCurrentDrive();

    char Drive() const { return Drive_; }             // lower case; 0 before any
    uint32_t DriveMask() const { return Mask_; }      // logical drives at the last build
    uint32_t ListedDrives() const { return Listed_; } // those the list shows
    std::string ItemText(int index) const;

    // The parent's WM_COMMAND notification for this combo box.
    void Notify(UINT code);
    // The parent's WM_DRAWITEM for this combo box.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    std::function<void()> OnChange;

  private:
    int FindDrive(char letter) const;

    HWND Handle_ = nullptr;
    TListPicture Fixed_, Removable_;
    char Drive_ = 0;
    uint32_t Mask_ = 0;
    uint32_t Listed_ = 0;
};

// The logical drives (bit 0 = drive A) whose root is still there. Under
// Wine a removed drive stays in the system's mask while its root is gone.
uint32_t PresentDrives();

// The name a drive list shows for a drive: the network name of a network
// drive, else its volume label in brackets, lower-cased ("[system]"); empty
// when there is no label. `letter` is lower case.
std::string DriveDisplayName(char letter, UINT driveType);
