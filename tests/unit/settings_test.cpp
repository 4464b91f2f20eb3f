// Saved choices in the real (Wine) registry: defaults, round trips, and
// values an earlier run or another program left in a shape we never write.
#include "base/code_page.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "system/data_folders.h"
#include "system/registry.h"
#include "system/settings.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {
const char kProductKey[] = "Software\\Quorvale Word Processor";

void DeleteProductKeys() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kInstallKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kInternalKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kProductKey);
}

bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void SetRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProductKeys(); }
    void TearDown() override { DeleteProductKeys(); }
};
} // namespace

TEST_F(Settings, FirstRunGivesTheDefaultsAndLeavesBothKeysBehind) {
    TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.MainDir, "");
    EXPECT_EQ(s.Components, 2147483647u);
    EXPECT_TRUE(s.InstallToAll);
    EXPECT_TRUE(s.DesktopShortcut);
    EXPECT_EQ(s.Extensions, "B");
    EXPECT_TRUE(s.Launch);
    EXPECT_EQ(s.LastRunVersion, 2147483647);
    EXPECT_TRUE(KeyExists(kInstallKey));
    EXPECT_TRUE(KeyExists(kInternalKey));
}

TEST_F(Settings, SavedChoicesComeBackOnTheNextRunAndLastRunVerIsNeverWritten) {
    TSavedSettings options;
    options.MainDir = "C:\\Apps\\Quorvale";
    const TComponentSet allButSpellchecker(0x3C);
    options.Components = ComponentsToSave(kAllComponents, allButSpellchecker);
    options.Extensions = "BD";
    options.InstallToAll = false;
    options.DesktopShortcut = true;
    options.Launch = false;
    {
        TRegistry registry;
        SaveSettings(registry, options);
    }
    TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.MainDir, "C:\\Apps\\Quorvale");
    EXPECT_EQ(s.Components, 2147483644u);
    EXPECT_FALSE(s.InstallToAll);
    EXPECT_TRUE(s.DesktopShortcut);
    EXPECT_EQ(s.Extensions, "BD");
    EXPECT_FALSE(s.Launch);
    TRegistry internal;
    internal.OpenKey(kInternalKey);
    EXPECT_FALSE(internal.ValueExists("LastRunVer"));
}

// "łukasz" is no name of code page 1252: the ANSI functions would have
// saved "lukasz". A value an earlier version wrote in the code page reads
// as the system converted it then.
TEST_F(Settings, AFolderOutsideTheCodePageIsSavedAndReadAsItIs) {
    const std::string folder = "C:\\Users\\\xC5\x82ukasz\\Quorvale";
    {
        TRegistry registry;
        TSavedSettings options;
        options.MainDir = folder;
        SaveSettings(registry, options);
    }
    EXPECT_EQ(LoadSettings().MainDir, folder);
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInstallKey, 0, KEY_READ, &k), ERROR_SUCCESS);
    wchar_t stored[64] = {};
    DWORD size = sizeof stored;
    RegQueryValueExW(k, L"MAINDIR", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size);
    RegCloseKey(k);
    EXPECT_EQ(TWideText(stored), L"C:\\Users\\\x0142ukasz\\Quorvale");

    const std::string ansi = "C:\\Caf\xE9";
    SetRaw(kInstallKey, "MAINDIR", REG_SZ, ansi.c_str(), DWORD(ansi.size() + 1));
    EXPECT_EQ(LoadSettings().MainDir, Utf8FromAnsi(ansi));
}

TEST_F(Settings, ComponentBitsZeroToFiveFollowTheRowsAndTheRestIsKept) {
    const TComponentSet all(0x3E); // row 0 is grayed, not checked
    EXPECT_EQ(ComponentsToSave(kAllComponents, all), 2147483646u);
    const TComponentSet none;
    EXPECT_EQ(ComponentsToSave(0xFFFFFFFFu, none), 0xFFFFFFC0u);
    const TComponentSet some(0x09);
    EXPECT_EQ(ComponentsToSave(0x40u, some), 0x49u);
}

TEST_F(Settings, StringsAreWrittenWithTheirNulAndNumbersAsFourBytes) {
    {
        TRegistry registry;
        TSavedSettings settings;
        settings.MainDir = "D:\\Q";
        settings.Components = 5;
        settings.Extensions = "";
        settings.InstallToAll = true;
        settings.DesktopShortcut = false;
        settings.Launch = true;
        SaveSettings(registry, settings);
    }
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInstallKey, 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    RegQueryValueExA(k, "MAINDIR", nullptr, &type, nullptr, &size);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 5u);
    RegQueryValueExA(k, "EXTENSIONS", nullptr, &type, nullptr, &size);
    EXPECT_EQ(size, 1u); // an empty text is its NUL
    DWORD value = 7;
    size = sizeof value;
    RegQueryValueExA(k, "INSTALLTOALL", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(value, 1u);
    RegQueryValueExA(k, "DSKSHORTCUT", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    EXPECT_EQ(value, 0u);
    RegCloseKey(k);
    EXPECT_EQ(LoadSettings().Extensions, "");
}

TEST_F(Settings, ValuesOfTheWrongTypeOrSizeGiveDefaultsOrASaneReading) {
    SetRaw(kInstallKey, "COMPS (1.6.6.2)", REG_SZ, "12345678", 9); // text for a number
    SetRaw(kInstallKey, "INSTALLTOALL", REG_BINARY, "\0\0", 2);    // too short
    const DWORD three = 3;
    SetRaw(kInstallKey, "MAINDIR", REG_DWORD, &three, sizeof three); // number for a text
    const std::string huge(100000, 'x');
    SetRaw(kInstallKey, "EXTENSIONS", REG_SZ, huge.data(), DWORD(huge.size())); // no NUL
    SetRaw(kInstallKey, "LAUNCH", REG_SZ, "", 0);                               // zero length
    SetRaw(kInternalKey, "LastRunVer", REG_SZ, "20003999", 9);

    TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.Components, kAllComponents);
    EXPECT_TRUE(s.InstallToAll);
    EXPECT_EQ(s.MainDir, ""); // a number is no folder: missing
    EXPECT_EQ(s.Extensions, huge);
    EXPECT_TRUE(s.Launch);
    EXPECT_EQ(s.LastRunVersion, kNoLastRunVersion);

    SetRaw(kInstallKey, "MAINDIR", REG_SZ, "C:\\A\0junk", 10); // cut at the first NUL
    EXPECT_EQ(LoadSettings().MainDir, "C:\\A");
}

TEST(DefaultDestination, IsQuorvaleUnderProgramFiles) {
    const std::string programs = SpecialFolder(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(programs.empty());
    EXPECT_EQ(DefaultDestination(), programs + "\\Quorvale");
}

TEST(OfferedDestination, IsTheSavedFolderOnlyWhileItExists) {
    char temp[MAX_PATH + 1] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string existing = temp;
    existing.pop_back(); // without its trailing backslash
    EXPECT_EQ(OfferedDestination(existing), existing);
    EXPECT_EQ(OfferedDestination(existing + "\\no such folder"), DefaultDestination());
    EXPECT_EQ(OfferedDestination(""), DefaultDestination());
}
