#include "wizard/directory_list_box.h"

#include "base/locale_text.h"
#include "base/folder_items.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/scoped_win.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "payload/disk_space.h"
#include "system/destination_rules.h"
#include "wizard/destination_path.h"
#include "wizard/font_metrics.h"
#include "wizard/window_text.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {
// Item data: which picture an item shows.
constexpr LPARAM kClosedItem = 0;
constexpr LPARAM kOpenItem = 1;
// Width counted for a missing picture.
constexpr int kPictureWidth = 16;

// The volume's file-system flags; 0 when it cannot be asked. A drive
// without a disk would otherwise put up the system's "no disk" box.
DWORD VolumeFlags(const std::string& root) {
    TErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    DWORD flags = 0;
    if (!GetVolumeInformationW(WideText(root).c_str(), nullptr, 0, nullptr, nullptr, &flags,
                               nullptr, 0))
        flags = 0;
    return flags;
}

// The names of the folder's subfolders, sorted as the user's locale sorts
// them, letter case aside.
std::vector<std::string> SubfolderNames(const std::string& folder) {
    std::vector<std::string> names;
    ForEachInFolder(JoinPath(folder, "*.*"), [&](const TFolderItem& item) {
        if (item.IsFolder()) names.push_back(item.Name);
    });
    SortTexts(names);
    return names;
}
} // namespace

void TDirectoryListBox::Attach(HWND list) {
    Handle_ = list;
    Open_.Load("OPENFOLDER");
    Closed_.Load("CLOSEDFOLDER");
    int height = FontMetrics(list).tmHeight;
    if (Open_.Height() + 1 > height) height = Open_.Height() + 1;
    SendMessageA(list, LB_SETITEMHEIGHT, 0, height);
    Subclass_.Attach(list);
    if (!Directory_.empty()) BuildList();
}

bool TDirectoryListBox::SameAsCurrent(const std::string& path) const {
    if (CaseSensitive_) return path == Directory_;
    return path.size() == Directory_.size() && CompareText(path, Directory_) == 0;
}

void TDirectoryListBox::SetDirectory(const std::string& path) {
    if (path.empty() || SameAsCurrent(path)) return;
    // A relative name would mean the process's current folder: never here.
    const std::string drive = DrivePart(path);
    if (drive.empty()) return;
    std::string folder = path;
    while (!FolderExists(folder) && folder.size() > drive.size() + 1) {
        std::string up = ParentPath(folder);
        if (up.size() < drive.size() + 1) up = drive + '\\';
        folder = up;
    }

    Directory_ = folder;
    BuildList();
    Changed();
}

void TDirectoryListBox::SetDrive(char letter) {
    if (static_cast<unsigned char>(letter) <= ' ') return;
    if (!Directory_.empty() && AsciiLowerCase(letter) == AsciiLowerCase(Directory_[0])) return;

    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    if (programFiles.size() >= 2 && programFiles[1] == ':' &&
        AsciiLowerCase(programFiles[0]) == AsciiLowerCase(letter)) {
        const std::string folder = JoinPath(programFiles, "");
        const std::string product = folder + kProductFolder;
        Directory_ = FolderExists(product) ? product : folder;
    } else {
        const std::string samePath = PathOnDrive(Directory_, letter);
        Directory_ =
            !samePath.empty() && FolderExists(samePath) ? samePath : std::string(1, letter) + ":\\";
    }
    BuildList();
    Changed();
}

void TDirectoryListBox::Changed() {
    if (OnChange) OnChange();
}

void TDirectoryListBox::BuildList() {
    if (!Handle_) return;
    SendMessageA(Handle_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(Handle_, LB_RESETCONTENT, 0, 0);

    const DWORD flags = VolumeFlags(DrivePart(Directory_) + '\\');
    CasePreserved_ = (flags & (FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES)) != 0;
    CaseSensitive_ = (flags & FILE_CASE_SENSITIVE_SEARCH) != 0;

    for (const std::string& folder : FoldersFromRoot(Directory_)) {
        const auto index = SendText(Handle_, LB_ADDSTRING, 0, folder);
        if (index >= 0) SendMessageA(Handle_, LB_SETITEMDATA, WPARAM(index), kOpenItem);
    }
    CurrentIndex_ = int(SendMessageA(Handle_, LB_GETCOUNT, 0, 0)) - 1;
    for (const std::string& name : SubfolderNames(Directory_)) {
        const std::string item = JoinPath(Directory_, name);
        const auto index = SendText(Handle_, LB_ADDSTRING, 0, item);
        if (index >= 0) SendMessageA(Handle_, LB_SETITEMDATA, WPARAM(index), kClosedItem);
    }
    SendMessageA(Handle_, LB_SETCURSEL, WPARAM(CurrentIndex_), 0);
    SendMessageA(Handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle_, nullptr, TRUE);
}

std::string TDirectoryListBox::ItemText(int index) const {
    return ::ItemText(Handle_, LB_GETTEXTLEN, LB_GETTEXT, index);
}

bool TDirectoryListBox::IsOpenItem(int index) const {
    return SendMessageA(Handle_, LB_GETITEMDATA, WPARAM(index), 0) == kOpenItem;
}

std::string TDirectoryListBox::ShownText(int index) const {
    const std::string text = ShownFolderName(ItemText(index), index == 0);
    return CasePreserved_ ? text : LowerCaseText(text);
}

int TDirectoryListBox::Indent(int index) const {
    // Subfolders stand one level below the current folder.
    if (!IsOpenItem(index)) return 12 * BackslashCount(WithoutBackslash(Directory_)) + 15;
    return 12 * index + 3;
}

void TDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != UINT(-1)) {
        const int index = int(item.itemID);
        const int indent = Indent(index);
        const TListPicture& picture = IsOpenItem(index) ? Open_ : Closed_;
        picture.Draw(dc, r.left + indent, r.top + (r.bottom - r.top - picture.Height()) / 2);
        const int pictureWidth = picture.Empty() ? kPictureWidth : picture.Width();

        const int savedDc = SaveDC(dc);
        SelectObject(dc, HGDIOBJ(SendMessageA(Handle_, WM_GETFONT, 0, 0)));
        SIZE letter{};
        GetTextExtentPoint32A(dc, "A", 1, &letter);
        const std::string text = ShownText(index);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        TextOutUtf8(dc, r.left + indent + pictureWidth + 4,
                    r.top + (r.bottom - r.top - letter.cy) / 2, text);
        RestoreDC(dc, savedDc);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

LRESULT TDirectoryListBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND wnd = Handle_;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // One click opens the folder. The list box's own tracking is left
        // out: the items change under the mouse as soon as it is pressed.
        SetFocus(wnd);
        const LRESULT hit = SendMessageA(wnd, LB_ITEMFROMPOINT, 0, lp);
        if (HIWORD(hit) == 0) SetDirectory(ItemText(int(LOWORD(hit))));
        return 0;
    }
    case WM_KEYDOWN:
    case WM_CHAR: {
        // The list box moves the selection; the folder follows it once the
        // list box is done with the key, since that rebuilds the items.
        const LRESULT result = Subclass_.CallOwn(msg, wp, lp);
        const auto selected = int(SendMessageA(wnd, LB_GETCURSEL, 0, 0));
        if (selected >= 0 && selected != CurrentIndex_) SetDirectory(ItemText(selected));
        return result;
    }
    }
    return Subclass_.CallOwn(msg, wp, lp);
}
