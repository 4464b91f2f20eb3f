// The components page as a person uses it: the rows and their sizes, the
// two totals, and a Next button that follows the free space of the
// drives the files go to.
#include "wine_drive.h"
#include "wizard_person.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {
using namespace wizard;

constexpr int64_t kMB = 1048576;
constexpr char kRequiredCaption[] = "Required disk space:";
constexpr char kAvailableCaption[] = "Available disk space:";

// A product whose sizes are easy to add up: on a volume with clusters of c
// bytes the six components need 2 MB + c, 1 MB, c, 6 MB, 3 MB and 1 MB.
std::vector<TEntry> Product() {
    const double date = 45000.5;
    return {
        {"License.txt", date, "Terms.\r\n"},
        {"kel.exe", date, std::string(size_t(2 * kMB), 'k')},
        {"us.zlx", date, std::string(size_t(kMB), 's')},
        {"Hyphenation.dat", date, "h"},
        {"Templates\\Letter.dot", date, std::string(size_t(6 * kMB), 't')},
        {"Clip Library\\Cat.png", date, std::string(size_t(3 * kMB), 'c')},
        {"Basic.asn", date, std::string(size_t(kMB), 'b')},
    };
}

// The setup program with that product, made once per test program.
const std::string& ProductSetup() {
    static const std::string exe = SetupWithEntries(ScratchDir("components-setup"), Product());
    return exe;
}

int32_t Cluster(const std::string& root) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectors, &bytes, &freeClusters, &total)) return 0;
    return int32_t(sectors * bytes);
}

int64_t Available(const std::string& root) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return -1;
    return int64_t(available.QuadPart);
}

// The control created right after the one with this caption: the value
// label next to its caption.
HWND ValueOf(HWND wizard, const std::string& caption) {
    const std::vector<HWND> controls = Controls(wizard);
    for (size_t i = 0; i + 1 < controls.size(); ++i)
        if (Text(controls[i]) == caption) return controls[i + 1];
    ADD_FAILURE() << "no label \"" << caption << "\"";
    return nullptr;
}

// A destination on the drive of the data folders (the prefix's own): every
// component counts on that one drive.
std::string BesideTheData() {
    return JoinPath(ProgramFilesFolder(), "Quorvale");
}

// The components list: the list box shown on the page.
HWND ComponentList(HWND wizard) {
    for (HWND control : Controls(wizard))
        if (lstrcmpiA(ClassName(control).c_str(), "ListBox") == 0 && IsVisible(control))
            return control;
    ADD_FAILURE() << "no list on the page";
    return nullptr;
}

int RowHeight(HWND list) {
    DWORD_PTR height = 0;
    SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
    return int(height);
}

// A mouse click at x within a row of the list.
void ClickRow(HWND list, int row, int x) {
    const int height = RowHeight(list);
    const LPARAM at = MAKELPARAM(x, row * height + height / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    Settle(list);
}
// A click on a row's box, at the left of the row.
void ClickBox(HWND list, int row) {
    ClickRow(list, row, 5);
}

// What the screen shows of a rectangle of a window's client area.
std::vector<COLORREF> Pixels(HWND window, RECT r) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY))
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A row of the list as it shows on the screen, after letting it paint.
std::vector<COLORREF> RowPixels(HWND list, int row, int left, int right) {
    Settle(list);
    Settle(list);
    Sleep(150); // Wine hands painted pixels to the X server a moment later
    const int height = RowHeight(list);
    return Pixels(list, {left, row * height, right, (row + 1) * height});
}

using TPixels = std::vector<COLORREF>;

// Two drawings compared without printing thousands of pixels.
::testing::AssertionResult Same(const TPixels& a, const TPixels& b) {
    if (a.empty() || b.empty()) return ::testing::AssertionFailure() << "nothing captured";
    if (a == b) return ::testing::AssertionSuccess() << "the drawings are the same";
    return ::testing::AssertionFailure() << "the drawings differ";
}
::testing::AssertionResult Differ(const TPixels& a, const TPixels& b) {
    if (a.empty() || b.empty()) return ::testing::AssertionFailure() << "nothing captured";
    if (a != b) return ::testing::AssertionSuccess() << "the drawings differ";
    return ::testing::AssertionFailure() << "the drawings are the same";
}

bool Holds(const std::vector<COLORREF>& pixels, COLORREF colour) {
    for (COLORREF p : pixels)
        if (p == colour) return true;
    return false;
}

// A file of `size` bytes, written in pieces.
bool WriteFiller(const std::string& path, int64_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::string piece(size_t(kMB), 'f');
    bool ok = true;
    for (int64_t left = size; ok && left > 0; left -= int64_t(piece.size())) {
        const DWORD chunk = DWORD(left < int64_t(piece.size()) ? left : int64_t(piece.size()));
        DWORD written = 0;
        ok = WriteFile(file, piece.data(), chunk, &written, nullptr) && written == chunk;
    }
    return CloseHandle(file) && ok;
}

// The small drive of the test run (a 16 MB file system of its own) as a
// removable drive, holding a filler file that leaves exactly `leave` bytes
// free. An installation there is portable: its data folders lie in the
// destination, and every component counts on this drive. The filler goes
// again with the object.
class TSmallDrive {
  public:
    explicit TSmallDrive(int64_t leave)
        : Drive_(std::string(QV_OUT_DIR) + "\\small-drive", DRIVE_REMOVABLE) {
        if (!Drive_.Defined()) {
            Problem = "the small drive cannot be given a drive letter";
            return;
        }
        const int64_t free = Available(Drive_.Root());
        if (free < 0 || free > 64 * kMB) {
            Problem = "QV_OUT_DIR\\small-drive is no small file system of its own (run the "
                      "tests with make test, as root where mounting is allowed)";
            return;
        }
        Filler_ = Drive_.Root() + "filler.bin";
        if (free < leave || !WriteFiller(Filler_, free - leave) ||
            Available(Drive_.Root()) != leave)
            Problem =
                "the small drive cannot be filled to leave " + std::to_string(leave) + " bytes";
    }
    ~TSmallDrive() { FreeFiller(); }
    TSmallDrive(const TSmallDrive&) = delete;
    TSmallDrive& operator=(const TSmallDrive&) = delete;

    std::string Root() const { return Drive_.Root(); }
    void FreeFiller() {
        if (!Filler_.empty()) DeleteFileA(Filler_.c_str());
    }

    std::string Problem; // empty when the drive is ready

  private:
    TWineDrive Drive_;
    std::string Filler_;
};

#define REQUIRE_DRIVE(drive)                                                                       \
    if (!(drive).Problem.empty()) GTEST_SKIP() << (drive).Problem

// The wizard of the test product, walked to the components page.
struct TComponentsPage {
    explicit TComponentsPage(const std::string& destination)
        : Person(ProductSetup(), TPerson::Into(destination)) {}
    bool Open() {
        if (!Person.WalkTo(kSelCompTitle)) return false;
        List = ComponentList(Person.Wizard);
        Required = ValueOf(Person.Wizard, kRequiredCaption);
        Available = ValueOf(Person.Wizard, kAvailableCaption);
        return List && Required && Available;
    }
    std::string RequiredText() const { return Text(Required); }
    std::string AvailableText() const { return Text(Available); }
    bool NextEnabled() const { return Person.Enabled(kNext); }

    TPerson Person;
    HWND List = nullptr, Required = nullptr, Available = nullptr;
};
} // namespace

// ---------------------------------------------------------------- space on the drive

TEST(WizardComponents, NextIsDisabledOnADriveWithLessRoomThanTheChosenSet) {
    TSmallDrive drive(8 * kMB);
    REQUIRE_DRIVE(drive);
    ASSERT_EQ(Cluster(drive.Root()), 4096);
    TComponentsPage page(drive.Root() + "Quorvale");
    ASSERT_TRUE(page.Open());

    // 13 MB and two clusters for all six components, 8 MB free.
    EXPECT_EQ(page.RequiredText(), "13 320 KB");
    EXPECT_EQ(page.AvailableText(), "8 MB");
    EXPECT_FALSE(page.NextEnabled());
    EXPECT_TRUE(page.Person.Alone()); // no message about it

    // Without the templates (6 MB) the rest fits.
    ClickBox(page.List, 3);
    EXPECT_EQ(page.RequiredText(), "7 176 KB");
    EXPECT_TRUE(page.NextEnabled());
    // Ticked again, it does not.
    ClickBox(page.List, 3);
    EXPECT_EQ(page.RequiredText(), "13 320 KB");
    EXPECT_FALSE(page.NextEnabled());

    // Every optional row unticked: the word processor alone remains.
    for (int row = 1; row < 6; ++row)
        ClickBox(page.List, row);
    EXPECT_EQ(page.RequiredText(), "2 052 KB");
    EXPECT_TRUE(page.NextEnabled());
    EXPECT_TRUE(page.Person.NextTo(kStartTitle));
}

TEST(WizardComponents, ComingBackAfterFreeingSpaceElsewhereUpdatesTheAvailableSpace) {
    TSmallDrive drive(8 * kMB);
    REQUIRE_DRIVE(drive);
    TComponentsPage page(drive.Root() + "Quorvale");
    ASSERT_TRUE(page.Open());
    ASSERT_EQ(page.AvailableText(), "8 MB");
    ASSERT_FALSE(page.NextEnabled());

    // The person switches to another program ...
    HWND other = CreateWindowExA(0, "Static", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 50, 50, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    Settle(page.Person.Wizard);
    EXPECT_NE(GetForegroundWindow(), page.Person.Wizard);

    // ... makes room on the drive there; the wizard does not know yet ...
    drive.FreeFiller();
    const int64_t freed = Available(drive.Root());
    ASSERT_GT(freed, 14 * kMB);
    Settle(page.Person.Wizard);
    EXPECT_EQ(page.AvailableText(), "8 MB");

    // ... and comes back to the wizard.
    SetForegroundWindow(page.Person.Wizard);
    Settle(page.Person.Wizard);
    if (freed == 16 * kMB)
        EXPECT_EQ(page.AvailableText(), "16 MB");
    else
        EXPECT_NE(page.AvailableText(), "8 MB");
    EXPECT_TRUE(page.NextEnabled());
    DestroyWindow(other);
}

TEST(WizardComponents, ADriveThatCannotBeAskedShowsUnknownSpaceAndKeepsNextDisabled) {
    // Q: is no drive of the test prefix.
    ASSERT_EQ(GetDriveTypeA("Q:\\"), UINT(DRIVE_NO_ROOT_DIR));
    TComponentsPage page("Q:\\Quorvale");
    ASSERT_TRUE(page.Open());
    // The program's files (4 096-byte clusters when unknown): the other
    // components go to the data folders on the prefix's own drive.
    EXPECT_EQ(page.RequiredText(), "2 056 KB");
    EXPECT_EQ(page.AvailableText(), "unknown");
    EXPECT_FALSE(page.NextEnabled());
    EXPECT_TRUE(page.Person.Alone());
    // Back to a drive that exists, the page lets the person on.
    ASSERT_TRUE(page.Person.Press(kBack));
    ASSERT_TRUE(page.Person.WaitPage(kDestDirTitle));
    HWND edit = FindControlByClass(page.Person.Wizard, "Edit", 1);
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
    Type(edit, JoinPath(ScratchDir(), "Quorvale"));
    ASSERT_TRUE(page.Person.NextTo(kSelCompTitle));
    EXPECT_NE(page.AvailableText(), "unknown");
    EXPECT_TRUE(page.NextEnabled());
}

// ---------------------------------------------------------------- the first row

TEST(WizardComponents, TheFirstRowStaysTickedAfterAClickAndAfterSpace) {
    const std::string destination = BesideTheData();
    ASSERT_EQ(Cluster(destination.substr(0, 3)), 4096);
    TComponentsPage page(destination);
    ASSERT_TRUE(page.Open());
    const std::string all = page.RequiredText();
    ASSERT_EQ(all, "13 320 KB");
    // The left of the box column, inside the box whatever the row's
    // selection does to the rest of the row.
    const int box = RowHeight(page.List) * 3 / 4;
    const std::vector<COLORREF> grayedBox = RowPixels(page.List, 0, 0, box);

    ClickBox(page.List, 0);
    EXPECT_EQ(page.RequiredText(), all);
    EXPECT_TRUE(Same(RowPixels(page.List, 0, 0, box), grayedBox));
    // The click has selected the first row: Space is meant for it.
    Key(page.List, VK_SPACE);
    EXPECT_EQ(page.RequiredText(), all);
    EXPECT_TRUE(Same(RowPixels(page.List, 0, 0, box), grayedBox));

    // An optional row unticks with Space and with a click, and the first
    // component still counts in the total afterwards.
    ClickRow(page.List, 1, 100); // selects without toggling
    EXPECT_EQ(page.RequiredText(), all);
    Key(page.List, VK_SPACE);
    EXPECT_EQ(page.RequiredText(), "12 296 KB");
    EXPECT_TRUE(Differ(RowPixels(page.List, 1, 0, box), grayedBox));
    ClickBox(page.List, 4);
    EXPECT_EQ(page.RequiredText(), "9 224 KB");
}

// ---------------------------------------------------------------- cluster sizes

TEST(WizardComponents, SizesFollowTheClusterSizeOfAnotherDestination) {
    // Drives come before the wizard starts: its drive list follows drives
    // that come and go while it runs.
    TWineDrive twoK(std::string(QV_OUT_DIR) + "\\cluster-2k", DRIVE_FIXED);
    ASSERT_TRUE(twoK.Defined());
    if (Cluster(twoK.Root()) != 2048)
        GTEST_SKIP() << "QV_OUT_DIR\\cluster-2k is no file system with 2 048-byte blocks (run the "
                        "tests with make test, as root where loop devices may be mounted)";
    const std::string first = BesideTheData();
    ASSERT_EQ(Cluster(first.substr(0, 3)), 4096);

    TComponentsPage page(first);
    ASSERT_TRUE(page.Open());
    EXPECT_EQ(page.RequiredText(), "13 320 KB");
    const int width = [&] {
        RECT r{};
        GetClientRect(page.List, &r);
        return int(r.right);
    }();
    // Only the first row and the hyphenation row hold files smaller than a
    // cluster; their sizes are drawn at the right of the rows.
    const std::vector<COLORREF> first4K = RowPixels(page.List, 0, width / 2, width);
    const std::vector<COLORREF> hyphenation4K = RowPixels(page.List, 2, width / 2, width);

    ASSERT_TRUE(page.Person.Press(kBack));
    ASSERT_TRUE(page.Person.WaitPage(kDestDirTitle));
    HWND edit = FindControlByClass(page.Person.Wizard, "Edit", 1);
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
    Type(edit, twoK.Root() + "Quorvale");
    ASSERT_TRUE(page.Person.NextTo(kSelCompTitle));

    // 2 MB and two clusters of 2 048 bytes: the other components go to the
    // data folders on the prefix's own drive.
    EXPECT_EQ(page.RequiredText(), "2 052 KB");
    EXPECT_TRUE(Differ(RowPixels(page.List, 0, width / 2, width), first4K));
    EXPECT_TRUE(Differ(RowPixels(page.List, 2, width / 2, width), hyphenation4K));

    // Back on the first destination the sizes are those of before.
    ASSERT_TRUE(page.Person.Press(kBack));
    ASSERT_TRUE(page.Person.WaitPage(kDestDirTitle));
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
    Type(edit, first);
    ASSERT_TRUE(page.Person.NextTo(kSelCompTitle));
    EXPECT_EQ(page.RequiredText(), "13 320 KB");
    EXPECT_TRUE(Same(RowPixels(page.List, 0, width / 2, width), first4K));
    EXPECT_TRUE(Same(RowPixels(page.List, 2, width / 2, width), hyphenation4K));
}

// ---------------------------------------------------------------- the look of the page

TEST(WizardComponents, RowsShowNamesLeftSizesRightAndTheFirstInGrey) {
    const std::string destination = BesideTheData();
    ASSERT_EQ(Cluster(destination.substr(0, 3)), 4096);
    TComponentsPage page(destination);
    ASSERT_TRUE(page.Open());
    EXPECT_EQ(page.RequiredText(), "13 320 KB");
    EXPECT_FALSE(page.AvailableText().empty());
    EXPECT_TRUE(Screenshot(page.Person.Wizard, JoinPath(OutDir(), "components-page.png")));

    RECT client{};
    GetClientRect(page.List, &client);
    const int width = client.right, box = RowHeight(page.List);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), ink = GetSysColor(COLOR_WINDOWTEXT);
    // Row 1 is selected at first; rows 0 and 2 are not.
    const auto nameOf = [&](int row) { return RowPixels(page.List, row, box, width / 2); };
    const auto sizeOf = [&](int row) { return RowPixels(page.List, row, width - 60, width); };
    const auto middleOf = [&](int row) {
        return RowPixels(page.List, row, width / 2 + 10, width - 80);
    };
    EXPECT_TRUE(Holds(nameOf(0), grey));
    EXPECT_FALSE(Holds(nameOf(0), ink));
    EXPECT_TRUE(Holds(sizeOf(0), grey));
    EXPECT_TRUE(Holds(nameOf(2), ink));
    EXPECT_TRUE(Holds(sizeOf(2), ink));
    EXPECT_FALSE(Holds(nameOf(2), grey));
    // Between the name and the size the row is empty.
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    for (COLORREF p : middleOf(2))
        ASSERT_EQ(p, window);

    // Selected, the first row keeps its grey text on the selection colour.
    ClickRow(page.List, 0, 100);
    EXPECT_TRUE(Holds(nameOf(0), GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_TRUE(Holds(nameOf(0), grey));
    EXPECT_TRUE(Holds(sizeOf(0), grey));
    EXPECT_FALSE(Holds(nameOf(0), GetSysColor(COLOR_HIGHLIGHTTEXT)));
}
