// The folder list of the destination page: an owner-drawn list box showing
// the open folders from the drive root down to the current folder, then the
// current folder's subfolders. A click or a keyboard move on an item makes
// it the current folder. The process's current folder is never changed.
#pragma once

#include "wizard/list_picture.h"
#include "wizard/subclass.h"

#include <windows.h>

#include <functional>
#include <string>

class TDirectoryListBox {
  public:
    // The window styles the list needs, for whoever creates it.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;

    TDirectoryListBox() : Subclass_(*this) {}
    TDirectoryListBox(const TDirectoryListBox&) = delete;
    TDirectoryListBox& operator=(const TDirectoryListBox&) = delete;

    // Takes over a list box created with kStyle (its font already set).
    void Attach(HWND list);
    HWND Handle() const { return Handle_; }

    // The current folder, a full path (a drive root ends in "\"); empty
    // before anything is set.
    const std::string& Directory() const { return Directory_; }
    // Makes the path the current folder, or its nearest existing parent;
    // the linked drive list follows a change of drive. OnChange fires when
    // the folder changed.
    void SetDirectory(const std::string& path);
    // Moves to another drive: the Program Files folder's "Quorvale"
    // subfolder (or the Program Files folder) on its drive, else the same
    // path on the new drive if it exists there, else the new drive's root.
    void SetDrive(char letter);

    int CurrentIndex() const { return CurrentIndex_; }
    std::string ItemText(int index) const;
    // Whether the item shows the open-folder picture (the chain down to the
    // current folder) rather than the closed one (its subfolders).
    bool IsOpenItem(int index) const;
    // The text the item shows, and how far it is indented.
    std::string ShownText(int index) const;
    int Indent(int index) const;

    // The parent's WM_DRAWITEM for this list box.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    // Set by TDriveComboBox::SetDirList: the linked drive list follows a
    // change of drive.
    std::function<void(char letter)> OnDriveChange;
    std::function<void()> OnChange;

  private:
    friend class TSubclass<TDirectoryListBox>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void ControlGone() { Handle_ = nullptr; }
    void BuildList();
    void Changed();
    bool SameAsCurrent(const std::string& path) const;

    HWND Handle_ = nullptr;
    TListPicture Open_, Closed_;
    std::string Directory_;
    int CurrentIndex_ = -1;
    bool CasePreserved_ = true;
    bool CaseSensitive_ = false;
    // Declared last, so gone first: the list has its own procedure back
    // before the rest of this object goes.
    TSubclass<TDirectoryListBox> Subclass_;
};
