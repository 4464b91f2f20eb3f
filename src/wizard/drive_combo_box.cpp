#include "wizard/drive_combo_box.h"

#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "system/data_folders.h"
#include "wizard/font_metrics.h"
#include "wizard/window_text.h"

namespace {
// Item data: which picture an item shows.
constexpr LPARAM kFixedItem = 0;
constexpr LPARAM kRemovableItem = 1;

// A drive's volume label. An empty floppy or card reader would otherwise
// put up the system's "no disk" box while the list is built.
std::string VolumeLabel(const std::string& root) {
    TErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    wchar_t label[MAX_PATH + 1] = L"";
    if (!GetVolumeInformationW(WideText(root).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                               nullptr, nullptr, 0))
        label[0] = 0;
    return Utf8Text(TWideText(label));
}
} // namespace

uint32_t PresentDrives() {
    uint32_t drives = GetLogicalDrives();
    for (int drive = 0; drive < 26; ++drive) {
        const char root[] = {char('a' + drive), ':', '\\', 0};
        if ((drives & (1u << drive)) && GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            drives &= ~(1u << drive);
    }
    return drives;
}

// The networking DLL is loaded on first need, by its full path in the
// system folder: imported, it would be looked for beside setup.exe (a
// downloads folder) before our start-up can narrow the DLL search. It
// stays loaded for the rest of the run.
using TGetConnection = DWORD(WINAPI*)(LPCWSTR, LPWSTR, LPDWORD);
TGetConnection NetworkConnectionFunction() {
    static const TGetConnection function =
        FunctionIn<TGetConnection>(LoadSystemLibrary("mpr.dll").Release(), "WNetGetConnectionW");
    return function;
}

std::string DriveDisplayName(char letter, UINT driveType) {
    if (driveType == DRIVE_REMOTE) {
        const wchar_t local[] = {wchar_t(letter - 'a' + 'A'), L':', 0};
        wchar_t remote[MAX_PATH + 1] = L"";
        DWORD size = MAX_PATH + 1;
        if (auto getConnection = NetworkConnectionFunction())
            if (getConnection(local, remote, &size) == NO_ERROR) return Utf8Text(TWideText(remote));
    }
    std::string label = VolumeLabel(std::string(1, letter) + ":\\");
    if (label.empty()) return label;
    return LowerCaseText("[" + label + "]");
}

void TDriveComboBox::Attach(HWND combo) {
    Handle_ = combo;
    Fixed_.Load("FIXEDDRIVE");
    Removable_.Load("REMOVABLEDRIVE");
    int height = FontMetrics(combo).tmHeight + 4;
    if (Fixed_.Height() > height) height = Fixed_.Height();
    SendMessageA(combo, CB_SETITEMHEIGHT, WPARAM(-1), height); // the closed box
    SendMessageA(combo, CB_SETITEMHEIGHT, 0, height);          // the dropped list
    // A combo box's window height is that of its dropped list: room for
    // eight drives.
    RECT r;
    if (GetWindowRect(combo, &r))
        SetWindowPos(combo, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + 8 * height + 2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    BuildList();
    wchar_t current[MAX_PATH + 1] = L"";
    const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, current);
    if (n > 1 && n <= MAX_PATH && current[1] == L':') SetDrive(char(current[0]));
}

void TDriveComboBox::BuildList() {
    SendMessageA(Handle_, CB_RESETCONTENT, 0, 0);
    Mask_ = PresentDrives();
    Listed_ = 0;
    for (int drive = 2; drive < 26; ++drive) { // A and B are never listed
        if (!(Mask_ & (1u << drive))) continue;
        const char letter = char('a' + drive);
        const std::string root = std::string(1, letter) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        if (type == DRIVE_CDROM) continue;
        const std::string text = std::string(1, letter) + ": " + DriveDisplayName(letter, type);
        const auto index = int(SendText(Handle_, CB_ADDSTRING, 0, text));
        if (index < 0) continue;
        SendMessageA(Handle_, CB_SETITEMDATA, WPARAM(index),
                     IsPortable(root) ? kRemovableItem : kFixedItem);
        Listed_ |= 1u << drive;
    }
}

int TDriveComboBox::FindDrive(char letter) const {
    const auto count = int(SendMessageA(Handle_, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::string text = ItemText(i);
        if (text.size() >= 2 && AsciiLowerCase(text[0]) == AsciiLowerCase(letter) && text[1] == ':')
            return i;
    }
    return -1;
}

void TDriveComboBox::SetDrive(char letter) {
    const bool selected = SendMessageA(Handle_, CB_GETCURSEL, 0, 0) != CB_ERR;
    if (selected && AsciiLowerCase(letter) == Drive_) return;
    Drive_ = AsciiLowerCase(letter);
    SendMessageA(Handle_, CB_SETCURSEL, WPARAM(FindDrive(Drive_)), 0);
    if (OnChange) OnChange();
}

void TDriveComboBox::SelectCurrentDrive() {
    SendMessageA(Handle_, CB_SETCURSEL, WPARAM(FindDrive(Drive_)), 0);
}

std::string TDriveComboBox::ItemText(int index) const {
    return ::ItemText(Handle_, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

void TDriveComboBox::Notify(UINT code) {
    if (code != CBN_SELCHANGE) return;
    const auto index = int(SendMessageA(Handle_, CB_GETCURSEL, 0, 0));
    const std::string text = ItemText(index);
    if (!text.empty()) SetDrive(text[0]);
}

void TDriveComboBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const int savedDc = SaveDC(dc);
    // The window colour throughout: no selection highlight, in the box or
    // in the dropped list.
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID != UINT(-1)) {
        const TListPicture& picture =
            item.itemData == ULONG_PTR(kRemovableItem) ? Removable_ : Fixed_;
        picture.Draw(dc, r.left + 2, r.top + (r.bottom - r.top - picture.Height()) / 2);
        const std::string text = ItemText(int(item.itemID));
        RECT textRect{r.left + picture.Width() + 6, r.top, r.right, r.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawUtf8Text(dc, text, textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    RestoreDC(dc, savedDc);
    if ((item.itemState & ODS_FOCUS) && (item.itemState & ODS_COMBOBOXEDIT)) DrawFocusRect(dc, &r);
}
