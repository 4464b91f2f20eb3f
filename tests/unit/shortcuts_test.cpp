// Shell links made through the real shell-link object under Wine, read back
// through IShellLinkA (and IShellLinkW for names outside the code page); the
// folders the two scopes use.
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "system/shortcuts.h"

#include "payload/folders.h"

#include "payload/install_log.h"
#include "system/data_folders.h"

#include "engine_test_support.h"
#include "shell_link_reader.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace enginetest;

namespace {
class Shortcuts : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("shortcuts");
        StartInstallLog("");
    }
    void TearDown() override { ResetEngineState(); }
    std::string Root;
};
} // namespace

TEST_F(Shortcuts, ALinkCarriesTargetWorkingFolderAndDescriptionAndIsLogged) {
    // Two folders that do not exist yet.
    const std::string folder = Root + "Start Menu\\Grosse\\";
    const std::string link = folder + kShortcutName;
    CreateShortcut(link, "C:\\Apps\\Quorvale\\kel.exe", "C:\\Apps\\Quorvale", kShortcutDescription);

    ASSERT_TRUE(Exists(link));
    const e2e::TShellLink read = e2e::ReadShellLink(link);
    ASSERT_TRUE(read.Loaded);
    EXPECT_EQ(read.Path, "C:\\Apps\\Quorvale\\kel.exe");
    EXPECT_EQ(read.WorkingFolder, "C:\\Apps\\Quorvale");
    EXPECT_EQ(read.Description,
              "Compact, fast-loading, but still powerful and efficient word processor.");
    EXPECT_EQ(read.Arguments, "");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Made Dir: " + Root + "Start Menu\\",
                                                    "Made Dir: " + folder, "File Copy: " + link}));
}

TEST_F(Shortcuts, AnExistingLinkIsReplacedAndItsFolderIsNotLoggedAgain) {
    const std::string link = Root + kShortcutName;
    CreateShortcut(link, "C:\\Old\\kel.exe", "C:\\Old", "old");
    CreateShortcut(link, "D:\\New\\kel.exe", "D:\\New", kShortcutDescription);
    const e2e::TShellLink read = e2e::ReadShellLink(link);
    EXPECT_EQ(read.Path, "D:\\New\\kel.exe");
    EXPECT_EQ(read.WorkingFolder, "D:\\New");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"File Copy: " + link}));
}

TEST_F(Shortcuts, ALinkWhoseFolderCannotBeMadeIsMissingWithoutHarm) {
    // A file stands where the folder would have to be.
    WriteFileBytes(Root + "blocked", "x");
    const std::string link = Root + "blocked\\" + kShortcutName;
    CreateShortcut(link, "C:\\Apps\\kel.exe", "C:\\Apps", kShortcutDescription);
    EXPECT_FALSE(Exists(link));
}

// A link on the way to a link's folder, made by the user's programs, would
// carry an administrator's save or deletion elsewhere: neither happens, and
// what lies behind is left as it is. Without it, the old link is deleted
// through its folder; a folder under the link's name stays.
TEST_F(Shortcuts, NoLinkIsSavedOrDeletedThroughALinkOnItsWay) {
    const std::string folder = Root + "Start Menu\\Programs\\", link = folder + kShortcutName;
    MakeFolder(folder);
    for (const std::string& played : {Root + "Start Menu", folder}) {
        WriteFileBytes(link, "behind");
        PlayedLink = played;
        EXPECT_FALSE(CreateShortcut(link, "C:\\Apps\\kel.exe", "C:\\Apps", "", IsPlayedLink))
            << played;
        DeleteShortcut(link, IsPlayedLink);
        PlayedLink.clear();
        EXPECT_EQ(ReadFileBytes(link), "behind") << played;
    }
    DeleteShortcut(link);
    EXPECT_FALSE(Exists(link));
    MakeFolder(link + "\\");
    DeleteShortcut(link);
    EXPECT_TRUE(Exists(link));
}

// "Łódź" has no counterpart in code page 1252: through the ANSI interface
// the link would name "Lódz" and start nothing. The target is read from the
// link's item list, by which the shell starts it (Wine gives the raw path
// back only in the code page's form).
TEST_F(Shortcuts, TargetAndWorkingFolderOutsideTheCodePageReadBackExactly) {
    const std::string link = Root + kShortcutName, lodz = "\xC5\x81\xC3\xB3\x64\xC5\xBA";
    const TWideText wideLodz = L"\x0141\x00F3\x0064\x017A";
    ASSERT_TRUE(CreateShortcut(link, "C:\\Apps\\" + lodz + "\\kel.exe", "C:\\Apps\\" + lodz,
                               "Quorvale " + lodz));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    wchar_t path[MAX_PATH] = L"", folder[MAX_PATH] = L"", description[MAX_PATH] = L"";
    IShellLinkW* read = nullptr;
    IPersistFile* file = nullptr;
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&read))) &&
        SUCCEEDED(read->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(WideText(link).c_str(), STGM_READ))) {
        if (SUCCEEDED(read->GetIDList(&items)) && items) SHGetPathFromIDListW(items, path);
        read->GetWorkingDirectory(folder, MAX_PATH);
        read->GetDescription(description, MAX_PATH);
    }
    CoTaskMemFree(items);
    if (file) file->Release();
    if (read) read->Release();
    CoUninitialize();
    EXPECT_EQ(TWideText(path), L"C:\\Apps\\" + wideLodz + L"\\kel.exe");
    EXPECT_EQ(TWideText(folder), L"C:\\Apps\\" + wideLodz);
    EXPECT_EQ(TWideText(description), L"Quorvale " + wideLodz);
}

TEST(ShortcutFolders, TheScopeChoosesCommonOrUserFoldersAndTheOtherScopeIsTheRest) {
    const std::string commonPrograms = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    const std::string userPrograms = SpecialFolder(CSIDL_PROGRAMS);
    const std::string commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    const std::string userDesktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_FALSE(commonPrograms.empty());
    ASSERT_FALSE(userPrograms.empty());
    ASSERT_NE(commonPrograms, userPrograms);
    ASSERT_NE(commonDesktop, userDesktop);

    TShortcutFolders f = ShortcutFolders(0, true);
    EXPECT_EQ(f.Chosen, commonPrograms);
    EXPECT_EQ(f.Other, userPrograms);
    f = ShortcutFolders(0, false);
    EXPECT_EQ(f.Chosen, userPrograms);
    EXPECT_EQ(f.Other, commonPrograms);
    f = ShortcutFolders(1, true);
    EXPECT_EQ(f.Chosen, commonDesktop);
    EXPECT_EQ(f.Other, userDesktop);
    f = ShortcutFolders(1, false);
    EXPECT_EQ(f.Chosen, userDesktop);
    EXPECT_EQ(f.Other, commonDesktop);
}
