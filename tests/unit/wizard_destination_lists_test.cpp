// The drive and folder lists of the destination page, on real folders and
// on drives that Wine makes real: which drives are listed and how, where
// the folder list lands, how the two follow each other, and that neither
// touches the process's current folder; and that the names they list and
// the folder the edit holds stay exactly as the file system spells them.
#include "base/folder_items.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "wizard/directory_list_box.h"
#include "wizard/drive_combo_box.h"
#include "wizard/layout.h"

#include "payload/folders.h"
#include "system/data_folders.h"
#include "wine_drive.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
// A name outside the code page of the tests' locale (1252): "Łódź".
const std::string kCityName = "\xC5\x81\xC3\xB3\x64\xC5\xBA";

std::string Fresh(const std::string& name) {
    const std::string folder = JoinPath(JoinPath(QV_OUT_DIR, "destination-lists"), name);
    DeleteFolderTree(folder);
    MakeFolder(JoinPath(folder, ""));
    return folder;
}

void MakeFolders(const std::string& folder, std::initializer_list<const char*> names) {
    for (const char* name : names)
        MakeFolder(JoinPath(JoinPath(folder, name), ""));
}

std::string CurrentFolder() {
    char folder[MAX_PATH + 1] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

// Wine reads a drive's label from this file in its root.
void Label(const std::string& root, const std::string& label) {
    HANDLE file = CreateFileA(JoinPath(root, ".windows-label").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, label.data(), DWORD(label.size()), &written, nullptr);
    CloseHandle(file);
}

// A window holding a folder list and a drive list that follow each other,
// made as the destination page makes them, counting the folder list's
// changes.
class TLists {
  public:
    explicit TLists(bool linked = true) {
        Window_ = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        Folders.Attach(CreateChildWindow(WS_EX_CLIENTEDGE, L"LISTBOX", "",
                                         TDirectoryListBox::kStyle, {10, 10, 355, 184}, Window_,
                                         0));
        Folders.OnChange = [this, linked] {
            ++Changes;
            const std::string& folder = Folders.Directory();
            if (linked && folder.size() >= 2 && folder[1] == ':') Drives.SetDrive(folder[0]);
        };
        Drives.OnChange = [this, linked] {
            ++DriveChanges;
            if (linked) Folders.SetDrive(Drives.Drive());
        };
        Drives.Attach(CreateChildWindow(0, L"COMBOBOX", "", TDriveComboBox::kStyle,
                                        {10, 190, 355, 209}, Window_, 0));
        Changes = 0;
        DriveChanges = 0;
    }
    ~TLists() { DestroyWindow(Window_); }

    std::vector<std::string> FolderItems() const {
        std::vector<std::string> items;
        const auto count = int(SendMessageA(Folders.Handle(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            items.push_back(Folders.ItemText(i));
        return items;
    }
    std::vector<std::string> DriveItems() const {
        std::vector<std::string> items;
        const auto count = int(SendMessageA(Drives.Handle(), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            items.push_back(Drives.ItemText(i));
        return items;
    }
    // The drive list's item for the drive, or -1.
    int DriveItem(const std::string& root) const {
        const std::vector<std::string> items = DriveItems();
        for (size_t i = 0; i < items.size(); ++i)
            if (lstrcmpiA(items[i].substr(0, 2).c_str(), root.substr(0, 2).c_str()) == 0)
                return int(i);
        return -1;
    }
    bool ShowsRemovablePicture(int item) const {
        return SendMessageA(Drives.Handle(), CB_GETITEMDATA, WPARAM(item), 0) == 1;
    }
    std::string SelectedDrive() const {
        return Drives.ItemText(int(SendMessageA(Drives.Handle(), CB_GETCURSEL, 0, 0)));
    }

    TDirectoryListBox Folders;
    TDriveComboBox Drives;
    int Changes = 0;      // of the folder list
    int DriveChanges = 0; // of the drive list

  private:
    HWND Window_ = nullptr;
};
} // namespace

// ---------------------------------------------------------------- folder list

TEST(FolderList, ShowsTheOpenFoldersThenTheSortedSubfolders) {
    const std::string tree = Fresh("tree");
    MakeFolders(tree, {"Gamma", "alpha", "Beta", "Beta\\Inner"});
    HANDLE file = CreateFileA(JoinPath(tree, "notes.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);

    TLists lists;
    lists.Folders.SetDirectory(tree);
    EXPECT_EQ(lists.Folders.Directory(), tree);
    EXPECT_EQ(lists.Changes, 1);

    const std::vector<std::string> items = lists.FolderItems();
    const int current = lists.Folders.CurrentIndex();
    // The root, every folder down to the current one, then its subfolders.
    ASSERT_EQ(current, int(std::count(tree.begin(), tree.end(), '\\')));
    ASSERT_EQ(items.size(), size_t(current + 4));
    EXPECT_EQ(items[0], tree.substr(0, 3));
    EXPECT_EQ(items[size_t(current)], tree);
    EXPECT_EQ(items[size_t(current) + 1], JoinPath(tree, "alpha"));
    EXPECT_EQ(items[size_t(current) + 2], JoinPath(tree, "Beta"));
    EXPECT_EQ(items[size_t(current) + 3], JoinPath(tree, "Gamma"));
    EXPECT_EQ(SendMessageA(lists.Folders.Handle(), LB_GETCURSEL, 0, 0), current);

    // Open folders step in by 12 pixels; subfolders stand one step below
    // the current folder.
    for (int i = 0; i <= current; ++i) {
        EXPECT_TRUE(lists.Folders.IsOpenItem(i));
        EXPECT_EQ(lists.Folders.Indent(i), 12 * i + 3);
    }
    for (int i = current + 1; i < int(items.size()); ++i) {
        EXPECT_FALSE(lists.Folders.IsOpenItem(i));
        EXPECT_EQ(lists.Folders.Indent(i), 12 * current + 15);
    }
    EXPECT_EQ(lists.Folders.ShownText(0), tree.substr(0, 2));
    EXPECT_EQ(lists.Folders.ShownText(current), "tree");
    EXPECT_EQ(lists.Folders.ShownText(current + 2), "Beta");
}

TEST(FolderList, ClimbsToTheNearestExistingFolder) {
    const std::string tree = Fresh("climb");
    MakeFolders(tree, {"One\\Two"});
    TLists lists;
    lists.Folders.SetDirectory(JoinPath(tree, "One\\Two\\Three\\Four"));
    EXPECT_EQ(lists.Folders.Directory(), JoinPath(tree, "One\\Two\\"));
    EXPECT_EQ(lists.Folders.ShownText(lists.Folders.CurrentIndex()), "Two");

    // A drive that has nothing of the path: its root.
    TWineDrive drive(Fresh("climb-drive"), DRIVE_FIXED);
    ASSERT_TRUE(drive.Defined());
    lists.Folders.SetDirectory(drive.Root() + "Not\\There");
    EXPECT_EQ(lists.Folders.Directory(), drive.Root());
    EXPECT_EQ(lists.FolderItems(), std::vector<std::string>{drive.Root()});
}

TEST(FolderList, TheSameFolderOrARelativeNameChangesNothing) {
    const std::string tree = Fresh("same");
    TLists lists;
    lists.Folders.SetDirectory(tree);
    lists.Changes = 0;
    lists.Folders.SetDirectory(tree);
    lists.Folders.SetDirectory("");
    lists.Folders.SetDirectory("relative\\name");
    EXPECT_EQ(lists.Changes, 0);
    EXPECT_EQ(lists.Folders.Directory(), tree);
}

TEST(FolderList, AClickOrAKeyOpensTheFolder) {
    const std::string tree = Fresh("click");
    MakeFolders(tree, {"Apps", "Books"});
    TLists lists;
    lists.Folders.SetDirectory(tree);
    lists.Changes = 0;
    const int current = lists.Folders.CurrentIndex();
    HWND list = lists.Folders.Handle();

    // One click on "Books", no double click needed.
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, WPARAM(current + 2), LPARAM(&r));
    const LPARAM at = MAKELPARAM(40, (r.top + r.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(lists.Folders.Directory(), JoinPath(tree, "Books"));

    // Up: the parent again.
    SendMessageA(list, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(lists.Folders.Directory(), tree);
    // Home: the drive root.
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(lists.Folders.Directory(), tree.substr(0, 3));
    EXPECT_EQ(lists.Changes, 3);
}

TEST(FolderList, ANameOutsideTheCodePageIsListedAndPickedAsItIs) {
    const std::string tree = Fresh("names");
    const std::string city = JoinPath(tree, kCityName);
    ASSERT_TRUE(CreateDirectoryW(WideText(city).c_str(), nullptr)) << GetLastError();
    TLists lists;
    lists.Folders.SetDirectory(tree);
    const int current = lists.Folders.CurrentIndex();
    ASSERT_EQ(lists.FolderItems().size(), size_t(current + 2));
    EXPECT_EQ(lists.Folders.ItemText(current + 1), city);
    EXPECT_EQ(lists.Folders.ShownText(current + 1), kCityName);

    RECT r{};
    HWND list = lists.Folders.Handle();
    SendMessageA(list, LB_GETITEMRECT, WPARAM(current + 1), LPARAM(&r));
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, (r.top + r.bottom) / 2));
    EXPECT_EQ(lists.Folders.Directory(), city);
    EXPECT_EQ(lists.Folders.ShownText(lists.Folders.CurrentIndex()), kCityName);
}

TEST(FolderList, SwitchingDrivesKeepsThePathWhereItExists) {
    const std::string first = Fresh("first"), second = Fresh("second"), third = Fresh("third");
    MakeFolders(first, {"Games\\Old"});
    MakeFolders(second, {"Games\\Old"});
    TWineDrive d1(first, DRIVE_FIXED), d2(second, DRIVE_FIXED), d3(third, DRIVE_FIXED);
    ASSERT_TRUE(d1.Defined() && d2.Defined() && d3.Defined());

    TLists lists(false);
    lists.Folders.SetDirectory(d1.Root() + "Games\\Old");
    lists.Folders.SetDrive(char(d2.Root()[0] - 'A' + 'a'));
    EXPECT_EQ(lists.Folders.Directory(),
              std::string(1, char(d2.Root()[0] - 'A' + 'a')) + ":\\Games\\Old");
    lists.Folders.SetDrive(d3.Root()[0]);
    EXPECT_EQ(lists.Folders.Directory(), d3.Root());
}

TEST(FolderList, TheProgramFilesDriveLeadsToTheProductFolder) {
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    ASSERT_GE(programFiles.size(), 3u);
    const std::string product = JoinPath(programFiles, "Quorvale");
    DeleteFolderTree(product);
    TWineDrive elsewhere(Fresh("elsewhere"), DRIVE_FIXED);
    ASSERT_TRUE(elsewhere.Defined());

    TLists lists(false);
    lists.Folders.SetDirectory(elsewhere.Root());
    lists.Folders.SetDrive(programFiles[0]);
    EXPECT_EQ(lists.Folders.Directory(), JoinPath(programFiles, ""));

    MakeFolder(JoinPath(product, ""));
    lists.Folders.SetDirectory(elsewhere.Root());
    lists.Folders.SetDrive(programFiles[0]);
    EXPECT_EQ(lists.Folders.Directory(), product);
    DeleteFolderTree(product);
}

// ---------------------------------------------------------------- drive list

TEST(DriveList, ListsDrivesCToZWithoutCdromsAsLetterColonAndLabel) {
    const std::string stickFolder = Fresh("stick"), cdFolder = Fresh("cd"),
                      diskFolder = Fresh("disk");
    Label(stickFolder, "My Stick");
    Label(diskFolder, "DATA");
    TWineDrive stick(stickFolder, DRIVE_REMOVABLE), cdrom(cdFolder, DRIVE_CDROM),
        disk(diskFolder, DRIVE_FIXED);
    ASSERT_TRUE(stick.Defined() && cdrom.Defined() && disk.Defined());

    TLists lists;
    const std::vector<std::string> items = lists.DriveItems();
    for (const std::string& item : items) {
        ASSERT_GE(item.size(), 3u);
        EXPECT_TRUE(item[0] >= 'c' && item[0] <= 'z') << item;
        EXPECT_EQ(item.substr(1, 2), ": ") << item;
    }
    EXPECT_EQ(lists.DriveItem(cdrom.Root()), -1);
    const int stickItem = lists.DriveItem(stick.Root()), diskItem = lists.DriveItem(disk.Root());
    ASSERT_GE(stickItem, 0);
    ASSERT_GE(diskItem, 0);
    const std::string letter(1, char(stick.Root()[0] - 'A' + 'a'));
    EXPECT_EQ(items[size_t(stickItem)], letter + ": [my stick]");
    EXPECT_EQ(items[size_t(diskItem)].substr(1), ": [data]");
    EXPECT_TRUE(lists.ShowsRemovablePicture(stickItem));
    EXPECT_FALSE(lists.ShowsRemovablePicture(diskItem));
    EXPECT_FALSE(lists.ShowsRemovablePicture(lists.DriveItem("c:")));
    EXPECT_EQ(lists.Drives.DriveMask(), PresentDrives());
}

TEST(DriveList, ADriveWithoutALabelHasAnEmptyName) {
    TWineDrive bare(Fresh("bare"), DRIVE_FIXED);
    ASSERT_TRUE(bare.Defined());
    TLists lists;
    const int item = lists.DriveItem(bare.Root());
    ASSERT_GE(item, 0);
    EXPECT_EQ(lists.Drives.ItemText(item), std::string(1, char(bare.Root()[0] - 'A' + 'a')) + ": ");
}

TEST(DriveList, ANetworkDriveShowsItsNetworkOrVolumeName) {
    const std::string folder = Fresh("network");
    Label(folder, "Shared");
    TWineDrive share(folder, DRIVE_REMOTE);
    ASSERT_TRUE(share.Defined());
    ASSERT_EQ(GetDriveTypeA(share.Root().c_str()), UINT(DRIVE_REMOTE));
    TLists lists;
    const int item = lists.DriveItem(share.Root());
    ASSERT_GE(item, 0);
    char remote[MAX_PATH] = "";
    DWORD size = sizeof remote;
    const char local[] = {share.Root()[0], ':', 0};
    // Wine knows no network name for a drive of its own: the label stands in.
    const std::string name =
        WNetGetConnectionA(local, remote, &size) == NO_ERROR ? remote : "[shared]";
    EXPECT_EQ(lists.Drives.ItemText(item).substr(3), name);
    EXPECT_FALSE(lists.ShowsRemovablePicture(item));
}

TEST(DriveList, ChoosingADriveMovesTheFolderListAndBack) {
    const std::string folder = Fresh("follow");
    MakeFolders(folder, {"Deep"});
    TWineDrive drive(folder, DRIVE_FIXED);
    ASSERT_TRUE(drive.Defined());
    const char letter = char(drive.Root()[0] - 'A' + 'a');

    TLists lists;
    const int& drives = lists.DriveChanges;
    lists.Drives.SetDrive(letter);
    EXPECT_EQ(lists.Drives.Drive(), letter);
    EXPECT_EQ(lists.SelectedDrive().substr(0, 2), std::string(1, letter) + ":");
    EXPECT_EQ(lists.Folders.Directory(), std::string(1, letter) + ":\\");
    EXPECT_EQ(lists.Changes, 1);
    EXPECT_EQ(drives, 1);
    // The same drive again: nothing.
    lists.Drives.SetDrive(char(letter - 'a' + 'A'));
    EXPECT_EQ(drives, 1);
    EXPECT_EQ(lists.Changes, 1);

    // The folder list moving to another drive takes the drive list along,
    // and the folder list changes once.
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    lists.Folders.SetDirectory(programFiles);
    EXPECT_EQ(lists.Drives.Drive(), char(programFiles[0] - 'A' + 'a'));
    EXPECT_EQ(lists.Folders.Directory(), programFiles);
    EXPECT_EQ(lists.Changes, 2);
    EXPECT_EQ(drives, 2);
}

TEST(DestinationLists, NeverChangeTheCurrentFolder) {
    const std::string before = CurrentFolder();
    const std::string tree = Fresh("current");
    MakeFolders(tree, {"A\\B"});
    TWineDrive drive(tree, DRIVE_REMOVABLE);
    ASSERT_TRUE(drive.Defined());
    TLists lists;
    lists.Folders.SetDirectory(JoinPath(tree, "A\\B\\C"));
    lists.Drives.SetDrive(drive.Root()[0]);
    lists.Folders.SetDirectory(drive.Root() + "A");
    lists.Drives.BuildList();
    EXPECT_EQ(CurrentFolder(), before);
}

// ---------------------------------------------------------------- folder edit

// The page's edit box as the layout makes it: a letter outside the code
// page typed into it, or a path set, reads back as itself.
TEST(DestinationEdit, KeepsTextOutsideTheCodePageAsItIs) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND controls[kControlCount] = {};
    BuildLayout(host, 96, {}, controls);
    HWND edit = controls[int(TCtl::DestDirEdt)];
    ASSERT_NE(edit, nullptr);

    PostMessageW(edit, WM_CHAR, 0x141, 1); // "Ł"
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(WindowText(edit), "\xC5\x81");

    const std::string path = "C:\\Apps\\" + kCityName;
    SetControlText(edit, TCtl::DestDirEdt, path);
    EXPECT_EQ(WindowText(edit), path);
    DestroyWindow(host);
}
