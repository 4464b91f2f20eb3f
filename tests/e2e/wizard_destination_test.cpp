// The destination page as a person uses it: the folder it offers first, the
// "-d" argument, typing, clicking the folder list, and drives that come and
// go while the wizard runs (Wine makes them real: typed drive letters of the
// build's own prefix).
#include "wine_drive.h"
#include "wizard_person.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <memory>

using namespace wizard;

namespace {
constexpr char kDesktopBox[] = "Create a &Desktop shortcut";
constexpr char kAnyoneBox[] = "Install for &anyone who uses this computer";

std::string Narrow(const wchar_t* wide) {
    char text[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// The rows of a list box or a combo box of the program (read wide: Wine
// hands list texts to another process in UTF-16 only).
std::string ListRow(HWND list, int row) {
    wchar_t wide[MAX_PATH] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, row, 0) >= MAX_PATH) return "(too long)";
    SendMessageW(list, LB_GETTEXT, row, LPARAM(wide));
    return Narrow(wide);
}
std::vector<std::string> ListRows(HWND list) {
    std::vector<std::string> rows;
    const auto count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.push_back(ListRow(list, row));
    return rows;
}
std::string ComboRow(HWND combo, int row) {
    wchar_t wide[MAX_PATH] = L"";
    if (row < 0 || SendMessageW(combo, CB_GETLBTEXTLEN, row, 0) >= MAX_PATH) return "";
    SendMessageW(combo, CB_GETLBTEXT, row, LPARAM(wide));
    return Narrow(wide);
}
std::vector<std::string> ComboRows(HWND combo) {
    std::vector<std::string> rows;
    const auto count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.push_back(ComboRow(combo, row));
    return rows;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
std::string Upper(std::string text) {
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string DefaultDestination() {
    return JoinPath(ProgramFilesFolder(), "Quorvale");
}

// Wine reads a drive's label from this file in its root.
void Label(const std::string& root, const std::string& label) {
    WriteFile(JoinPath(root, ".windows-label"), label);
}

// The drive letter of a Wine drive, as the drive list holds it.
std::string LetterOf(const TWineDrive& drive) {
    return Lower(drive.Root().substr(0, 1));
}

// Sets or, with null, removes the saved destination of an earlier run.
void SaveFolder(const std::string* folder) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kInstallKey, 0, nullptr, 0,
                        KEY_SET_VALUE | ProgramView(), nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (folder)
        RegSetValueExA(key, "MAINDIR", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder->c_str()),
                       DWORD(folder->size() + 1));
    else
        RegDeleteValueA(key, "MAINDIR");
    RegCloseKey(key);
}

// The saved destination of an earlier run, for as long as the object lives.
class TSavedFolder {
  public:
    explicit TSavedFolder(const std::string* folder) { SaveFolder(folder); }
    ~TSavedFolder() { SaveFolder(nullptr); }
    TSavedFolder(const TSavedFolder&) = delete;
    TSavedFolder& operator=(const TSavedFolder&) = delete;
};

// The destination page of a person's wizard.
struct TDestination {
    explicit TDestination(const TPerson& person)
        : Wizard(person.Wizard), Edit(FindControlByClass(person.Wizard, "Edit", 1)),
          Folders(FindControlByClass(person.Wizard, "ListBox", 0)),
          Drives(FindControlByClass(person.Wizard, "ComboBox", 0)) {}

    std::string Typed() const { return Text(Edit); }
    std::string CurrentFolder() const {
        return ListRow(Folders, int(SendMessageW(Folders, LB_GETCURSEL, 0, 0)));
    }
    std::string CurrentDrive() const {
        return ComboRow(Drives, int(SendMessageW(Drives, CB_GETCURSEL, 0, 0)));
    }
    // The index of the folder list's row with this text, or -1.
    int FolderRow(const std::string& folder) const {
        const std::vector<std::string> rows = ListRows(Folders);
        for (size_t row = 0; row < rows.size(); ++row)
            if (rows[row] == folder) return int(row);
        return -1;
    }
    // Replaces the edit's text as a person would: select all, type.
    void Type(const std::string& text) const {
        SendMessageA(Edit, WM_SETTEXT, 0, LPARAM(""));
        e2e::Type(Edit, text);
    }
    // One click on a row of the folder list.
    void Click(int row) const {
        const auto height = int(SendMessageW(Folders, LB_GETITEMHEIGHT, 0, 0));
        const auto top = int(SendMessageW(Folders, LB_GETTOPINDEX, 0, 0));
        const LPARAM at = MAKELPARAM(60, (row - top) * height + height / 2);
        PostMessageA(Folders, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(Folders, WM_LBUTTONUP, 0, at);
        Settle(Wizard);
    }
    // Waits until the edit shows `text` (drives are looked at once a second).
    bool WaitTyped(const std::string& text, DWORD timeout = 10000) const {
        const DWORD start = GetTickCount();
        while (Typed() != text && GetTickCount() - start < timeout)
            Sleep(100);
        return Typed() == text;
    }

    HWND Wizard, Edit, Folders, Drives;
};

// Next to the components page and back: what the wizard took over shows.
void TakeOverAndComeBack(const TPerson& person) {
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    ASSERT_TRUE(person.Press(kBack));
    ASSERT_TRUE(person.WaitPage(kDestDirTitle));
}
} // namespace

// ---------------------------------------------------------------- the first folder

TEST(DestinationPage, FirstRunOffersTheProgramFilesFolder) {
    TSavedFolder none(nullptr);
    DeleteTree(DefaultDestination());
    {
        TPerson person;
        ASSERT_TRUE(person.WalkTo(kDestDirTitle));
        TDestination page(person);
        EXPECT_EQ(page.Typed(), DefaultDestination());
        // The list shows the folder that exists: Program Files itself.
        EXPECT_EQ(page.CurrentFolder(), ProgramFilesFolder());
        EXPECT_EQ(page.CurrentDrive().substr(0, 2), Lower(ProgramFilesFolder().substr(0, 2)));
    }
    ASSERT_TRUE(MakeFolders(DefaultDestination()));
    {
        TPerson person;
        ASSERT_TRUE(person.WalkTo(kDestDirTitle));
        TDestination page(person);
        EXPECT_EQ(page.Typed(), DefaultDestination());
        EXPECT_EQ(page.CurrentFolder(), DefaultDestination());
    }
    DeleteTree(DefaultDestination());
}

TEST(DestinationPage, ASavedFolderThatNoLongerExistsGivesTheDefault) {
    const std::string gone = JoinPath(ScratchDir(), "Gone");
    TSavedFolder saved(&gone);
    TPerson person;
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    EXPECT_EQ(TDestination(person).Typed(), DefaultDestination());
}

TEST(DestinationPage, TheDashDArgumentGivesTheFolderAsItIs) {
    const std::string scratch = ScratchDir();
    // Not there yet: the edit shows it all, the list the part that exists.
    const std::string wanted = JoinPath(scratch, "Tools\\Writer");
    {
        TPerson person(SetupExe(), TPerson::Into(wanted));
        ASSERT_TRUE(person.WalkTo(kDestDirTitle));
        TDestination page(person);
        EXPECT_EQ(page.Typed(), wanted);
        EXPECT_EQ(page.CurrentFolder(), scratch);
        EXPECT_EQ(page.CurrentDrive().substr(0, 2), Lower(scratch.substr(0, 2)));
    }
    // An upper-case D, or "-d" as the second argument, is no destination
    // but an option the program does not know: it says so instead of
    // starting the wizard.
    using TArgs = std::vector<std::string>;
    for (const TArgs& args : {TArgs{"-D" + wanted}, TArgs{"-x", "-d" + wanted}}) {
        Launch launch;
        launch.args = args;
        Process setup(SetupExe(), launch);
        const Message usage = WaitMessage(setup);
        EXPECT_NE(usage.text.find("unknown option \"" + launch.args[0] + "\""), std::string::npos)
            << usage.text;
        EXPECT_TRUE(Answer(usage, "OK"));
        EXPECT_EQ(setup.WaitExit(), 87);
    }
}

// ---------------------------------------------------------------- typing

TEST(DestinationPage, TypedTextIsTidiedWhenNextIsPressed) {
    const std::string scratch = ScratchDir();
    TPerson person(SetupExe(), TPerson::Into(JoinPath(scratch, "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);
    const std::string listed = page.CurrentFolder();
    const std::string drive = page.CurrentDrive().substr(0, 2);
    ASSERT_EQ(drive, Lower(scratch.substr(0, 2)));

    struct {
        std::string Typed, TakenOver;
    } const cases[] = {
        {"  " + JoinPath(scratch, "Typed") + "\\  ", JoinPath(scratch, "Typed")},
        // A relative name: the root of the drive list's drive.
        {"Apps\\Writer", drive + "\\Quorvale"},
        {"\\Apps\\Writer", drive + "\\Quorvale"},
        // A drive without its root would depend on that drive's current folder.
        {"d:Games", "d:\\Quorvale"},
        {"E:\\", "E:\\Quorvale"},
        // The Program Files folder in other letter case gets its subfolder.
        {Upper(ProgramFilesFolder()), Upper(ProgramFilesFolder()) + "\\Quorvale"},
        {Lower(ProgramFilesFolder()) + "\\", Lower(ProgramFilesFolder()) + "\\Quorvale"},
        // A network path stays as typed.
        {"\\\\server\\share\\folder", "\\\\server\\share\\folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        page.Type(c.Typed);
        // Typing does not move the folder list.
        EXPECT_EQ(page.CurrentFolder(), listed);
        TakeOverAndComeBack(person);
        EXPECT_EQ(page.Typed(), c.TakenOver);
    }

    // What was taken over last is where the files go.
    page.Type(JoinPath(scratch, "Final") + "\\");
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_TRUE(FileExists(JoinPath(scratch, "Final\\kel.exe")));
}

// A folder that is no plain folder path, or too long for the deepest file of
// the product, is refused with a message, and the page stays.
TEST(DestinationPage, FoldersThatCannotHoldTheProductAreRefusedOnNext) {
    const std::string scratch = ScratchDir();
    TPerson person(SetupExe(), TPerson::Into(JoinPath(scratch, "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);

    // The longest folder the product fits in: every file (and the new file
    // it is first written to, 42 characters at most) below MAX_PATH, every
    // folder below 248 characters.
    size_t longest = MAX_PATH - 1;
    for (const TEntry& entry : PayloadOf(SetupExe())) {
        const size_t slash = entry.Name.rfind('\\');
        const size_t folder = slash == std::string::npos ? 0 : slash + 1;
        longest = std::min(longest, MAX_PATH - 2 - std::max(entry.Name.size(), folder + 42));
        if (folder) longest = std::min(longest, size_t(247) - folder);
    }
    std::string tooLong = JoinPath(scratch, "Q");
    tooLong += std::string(longest + 1 - tooLong.size(), 'q');
    std::string longEnough = tooLong.substr(0, longest);

    const std::string notPlain[] = {
        "\\\\?\\C:\\Quorvale", "\\\\.\\C:\\Quorvale", "\\\\?\\UNC\\server\\share",
        "C:\\Quorvale:stream", "C:\\Quor*vale",       "C:\\Quor?vale",
        "C:\\Quor<vale>",      "C:\\Quor\"vale",      "C:\\Quor|vale",
        "C:/Apps/Writer",      "C:\\Apps\\\\Writer",  "C:\\Quorvale.",
        "C:\\Apps.\\Writer",   "C:\\Apps \\Writer",   "C:\\con",
        "C:\\Apps\\NUL.txt",   "C:\\lpt1\\Writer",    "\\\\server\\sh*re\\folder",
    };
    auto refused = [&](const std::string& typed, const std::string& text) {
        SCOPED_TRACE(typed);
        page.Type(typed);
        ASSERT_TRUE(person.Press(kNext));
        const Message message = person.Question();
        EXPECT_EQ(message.caption, "Warning");
        EXPECT_EQ(message.text, text);
        EXPECT_EQ(message.buttons, std::vector<std::string>{"OK"});
        ASSERT_TRUE(Answer(message, "OK"));
        EXPECT_EQ(person.Page(), kDestDirTitle);
        EXPECT_EQ(page.Typed(), typed);
    };
    for (const std::string& typed : notPlain)
        refused(typed,
                "The folder \"" + typed +
                    "\" cannot be used as the destination folder.\r\rPlease type the path of a "
                    "folder on a local drive (such as C:\\Program Files\\Quorvale) or on a "
                    "network share (such as \\\\server\\share\\Quorvale). Folder names may "
                    "not contain any of the characters \\ / : * ? \" < > |, may not end with a dot "
                    "or a blank and may not be the names of devices such as CON or NUL.");
    refused(tooLong, "The folder \"" + tooLong +
                         "\" is too long: the files of Quorvale Word Processor would not fit "
                         "below it.\r\rPlease choose a folder whose path has at most " +
                         std::to_string(longest) + " characters.");

    // A folder that others may change, with something in it already: the
    // program the setup program starts could be swapped.
    const std::string open = JoinPath(scratch, "Open");
    ASSERT_TRUE(MakeFolders(open) && WriteFile(JoinPath(open, "kel.exe"), "planted"));
    ASSERT_TRUE(EveryoneMayChange(open));
    refused(open, "The folder \"" + open +
                      "\" can be changed by users who are no administrators, and it is not "
                      "empty.\r\rSetup installs only into a folder that nobody else can change. "
                      "Please choose another folder, or an empty one.");

    // The longest folder that fits is taken over.
    page.Type(longEnough);
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    EXPECT_TRUE(person.Alone());
}

// ---------------------------------------------------------------- the folder list

TEST(DestinationPage, ClickingTheFolderListSetsTheEdit) {
    const std::string area = ScratchDir();
    ASSERT_TRUE(MakeFolders(JoinPath(area, "Tree\\Sub")));
    ASSERT_TRUE(MakeFolders(JoinPath(area, "Tree\\Other")));
    TWineDrive disk(area, DRIVE_FIXED);
    ASSERT_TRUE(disk.Defined());
    const std::string tree = disk.Root() + "Tree";

    TPerson person(SetupExe(), TPerson::Into(tree));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);
    EXPECT_EQ(page.CurrentFolder(), tree);
    EXPECT_EQ(ListRows(page.Folders),
              (std::vector<std::string>{disk.Root(), tree, JoinPath(tree, "Other"),
                                        JoinPath(tree, "Sub")}));

    // A subfolder: the edit shows it without a trailing backslash.
    page.Click(page.FolderRow(JoinPath(tree, "Sub")));
    EXPECT_EQ(page.Typed(), JoinPath(tree, "Sub"));
    EXPECT_EQ(page.CurrentFolder(), JoinPath(tree, "Sub"));
    // The drive root: the product folder below it.
    page.Click(0);
    EXPECT_EQ(page.Typed(), disk.Root() + "Quorvale");
    EXPECT_EQ(page.CurrentFolder(), disk.Root());
    // The keyboard moves through the list as well: down into "Tree".
    Key(person.Wizard, VK_DOWN);
    EXPECT_EQ(page.Typed(), tree);

    TakeOverAndComeBack(person);
    EXPECT_EQ(page.Typed(), tree);
}

// ---------------------------------------------------------------- drives

TEST(DestinationPage, CdromAndFloppyDrivesAreNeverListedOrChosen) {
    TWineDrive cdrom(ScratchDir("dest-cdrom"), DRIVE_CDROM);
    TWineDrive floppy(ScratchDir("dest-floppy"), DRIVE_REMOVABLE, 'A');
    ASSERT_TRUE(cdrom.Defined());
    TPerson person(SetupExe(), TPerson::Into(JoinPath(ScratchDir(), "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);
    const std::string typed = page.Typed();
    for (const std::string& row : ComboRows(page.Drives)) {
        ASSERT_GE(row.size(), 3u);
        EXPECT_NE(row.substr(0, 2), LetterOf(cdrom) + ":");
        EXPECT_TRUE(row[0] >= 'c' && row[0] <= 'z') << row;
        EXPECT_EQ(row.substr(1, 2), ": ") << row;
    }

    // Plugged in while the page is shown, they change nothing either.
    TWineDrive secondCdrom(ScratchDir("dest-cdrom2"), DRIVE_CDROM);
    TWineDrive secondFloppy(ScratchDir("dest-floppy2"), DRIVE_REMOVABLE, 'B');
    ASSERT_TRUE(secondCdrom.Defined());
    Sleep(2500); // two looks at the drives
    EXPECT_EQ(page.Typed(), typed);
    for (const std::string& row : ComboRows(page.Drives))
        EXPECT_NE(row.substr(0, 2), LetterOf(secondCdrom) + ":");
}

// The decision is taken once, when the installation starts: a stick pulled
// out before Finish does not turn the rest of the run into a fixed
// installation with an uninstall entry and a log.
TEST(DestinationPage, APluggedInStickTakesTheListsAndMakesTheInstallationPortable) {
    const std::string scratch = ScratchDir();
    TPerson person(SetupExe(), TPerson::Into(JoinPath(scratch, "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);

    const std::string stickFolder = ScratchDir("dest-stick");
    auto stick = std::make_unique<TWineDrive>(stickFolder, DRIVE_REMOVABLE);
    ASSERT_TRUE(stick->Defined());
    const std::string root = LetterOf(*stick) + ":\\";
    ASSERT_TRUE(page.WaitTyped(root + "Quorvale"));
    EXPECT_EQ(page.CurrentDrive().substr(0, 3), LetterOf(*stick) + ": ");
    EXPECT_EQ(page.CurrentFolder(), root);

    // Portable: no check boxes on the ready page, no associations page.
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    ASSERT_TRUE(person.NextTo(kStartTitle));
    EXPECT_FALSE(person.Shown(kDesktopBox));
    EXPECT_FALSE(person.Shown(kAnyoneBox));
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, ProgramView(), 0);
    ASSERT_TRUE(person.Press(kNext));
    ASSERT_TRUE(person.WaitPage(kFinishTitle, 120000));
    stick.reset();
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);

    // Everything lies in the destination, the data folders too, and there
    // is no log and no uninstall entry.
    const std::string destination = JoinPath(stickFolder, "Quorvale");
    EXPECT_TRUE(FileExists(JoinPath(destination, "kel.exe")));
    EXPECT_TRUE(GetFileAttributesA(JoinPath(destination, "Spellcheck").c_str()) &
                FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FileExists(JoinPath(destination, "Install.log")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST(DestinationPage, DrivesThatComeAndGoMoveTheListsAndTheEdit) {
    const std::string scratch = ScratchDir();
    TPerson person(SetupExe(), TPerson::Into(JoinPath(scratch, "Quorvale")));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);

    // Two drives with the same folder: the second one, plugged in, takes
    // the lists to that folder on it.
    const std::string first = ScratchDir("dest-come-1"), second = ScratchDir("dest-come-2");
    ASSERT_TRUE(MakeFolders(JoinPath(first, "Apps")));
    ASSERT_TRUE(MakeFolders(JoinPath(second, "Apps")));
    auto stick = std::make_unique<TWineDrive>(first, DRIVE_REMOVABLE);
    ASSERT_TRUE(stick->Defined());
    ASSERT_TRUE(page.WaitTyped(LetterOf(*stick) + ":\\Quorvale"));
    page.Click(page.FolderRow(LetterOf(*stick) + ":\\Apps"));
    ASSERT_EQ(page.Typed(), LetterOf(*stick) + ":\\Apps");
    auto disk = std::make_unique<TWineDrive>(second, DRIVE_FIXED);
    ASSERT_TRUE(disk->Defined());
    ASSERT_TRUE(page.WaitTyped(LetterOf(*disk) + ":\\Apps"));

    // Another drive than the current one goes: nothing moves.
    stick.reset();
    Sleep(2500); // two looks at the drives
    EXPECT_EQ(page.Typed(), LetterOf(*disk) + ":\\Apps");
    EXPECT_EQ(page.CurrentDrive().substr(0, 2), LetterOf(*disk) + ":");

    // The current drive goes, on a later page: back to Program Files.
    ASSERT_TRUE(person.NextTo(kSelCompTitle));
    disk.reset();
    ASSERT_TRUE(page.WaitTyped(DefaultDestination()));
    EXPECT_EQ(page.CurrentDrive().substr(0, 2), Lower(ProgramFilesFolder().substr(0, 2)));
    // Not taken over until Next on the destination page.
    ASSERT_TRUE(person.Press(kBack));
    ASSERT_TRUE(person.WaitPage(kDestDirTitle));
    EXPECT_EQ(page.Typed(), DefaultDestination());
}

// ---------------------------------------------------------------- the look

TEST(DestinationPage, ScreenshotsWithFixedRemovableAndNetworkDrives) {
    const std::string fixedArea = ScratchDir("dest-shot-fixed"),
                      stickArea = ScratchDir("dest-shot-stick"),
                      shareArea = ScratchDir("dest-shot-share");
    ASSERT_TRUE(MakeFolders(JoinPath(fixedArea, "Programs\\Writer")));
    ASSERT_TRUE(MakeFolders(JoinPath(fixedArea, "Programs\\Games")));
    ASSERT_TRUE(MakeFolders(JoinPath(fixedArea, "Programs\\Tools & Things")));
    Label(fixedArea, "Data");
    Label(stickArea, "Travel Stick");
    Label(shareArea, "Office");
    TWineDrive fixed(fixedArea, DRIVE_FIXED), stick(stickArea, DRIVE_REMOVABLE),
        share(shareArea, DRIVE_REMOTE);
    ASSERT_TRUE(fixed.Defined() && stick.Defined() && share.Defined());

    TPerson person(SetupExe(), TPerson::Into(fixed.Root() + "Programs"));
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    TDestination page(person);
    const std::vector<std::string> rows = ComboRows(page.Drives);
    auto listed = [&rows](const std::string& row) {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    };
    EXPECT_TRUE(listed(LetterOf(fixed) + ": [data]"));
    EXPECT_TRUE(listed(LetterOf(stick) + ": [travel stick]"));
    bool shareListed = false;
    for (const std::string& row : rows)
        shareListed = shareListed || row.substr(0, 3) == LetterOf(share) + ": ";
    EXPECT_TRUE(shareListed);
    EXPECT_EQ(page.CurrentDrive(), LetterOf(fixed) + ": [data]");

    const std::string shots = JoinPath(OutDir(), "destination");
    ASSERT_TRUE(MakeFolders(shots));
    EXPECT_TRUE(Screenshot(person.Wizard, JoinPath(shots, "destination-page.png")));
    PostMessageA(page.Drives, CB_SHOWDROPDOWN, TRUE, 0);
    Settle(person.Wizard);
    EXPECT_TRUE(Screenshot(GetDesktopWindow(), JoinPath(shots, "destination-drives.png")));
    PostMessageA(page.Drives, CB_SHOWDROPDOWN, FALSE, 0);
    Settle(person.Wizard);
}
