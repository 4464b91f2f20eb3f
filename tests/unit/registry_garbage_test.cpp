// Saved settings that another program, a registry cleaner or a damaged hive
// left in shapes we never write, read through the real loader: each gives
// the default or a reading that cannot mislead the wizard.
#include "system/settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {
void DeleteProductKeys() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kInstallKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kInternalKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvale Word Processor");
}

void SetRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

class RegistryGarbage : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProductKeys(); }
    void TearDown() override { DeleteProductKeys(); }
};
} // namespace

// Four bytes of text have the size of a number; read as one they would tick
// arbitrary components or turn a flag on.
TEST_F(RegistryGarbage, AShortTextWhereANumberBelongsGivesTheDefault) {
    SetRaw(kInstallKey, "COMPS (1.6.6.2)", REG_SZ, "123", 4);
    SetRaw(kInstallKey, "DSKSHORTCUT", REG_SZ, "0\0\0", 4);
    SetRaw(kInstallKey, "LAUNCH", REG_MULTI_SZ, "0\0\0", 4);
    SetRaw(kInternalKey, "LastRunVer", REG_EXPAND_SZ, "12\0", 4);
    const TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.Components, kAllComponents);
    EXPECT_TRUE(s.DesktopShortcut);
    EXPECT_TRUE(s.Launch);
    EXPECT_EQ(s.LastRunVersion, kNoLastRunVersion);
}

TEST_F(RegistryGarbage, FourBytesOfAnyNumberTypeAreStillRead) {
    const DWORD five = 5;
    SetRaw(kInstallKey, "COMPS (1.6.6.2)", REG_DWORD, &five, sizeof five);
    SetRaw(kInternalKey, "LastRunVer", REG_BINARY, &five, sizeof five);
    const TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.Components, 5u);
    EXPECT_EQ(s.LastRunVersion, 5);
}

// A number where a folder belongs would otherwise become a folder named
// by its bytes ("\x03").
TEST_F(RegistryGarbage, ANumberWhereATextBelongsGivesTheDefault) {
    const DWORD three = 3;
    SetRaw(kInstallKey, "MAINDIR", REG_DWORD, &three, sizeof three);
    const unsigned char blob[] = {0x43, 0x3A, 0x5C, 0x00, 0xFF};
    SetRaw(kInstallKey, "EXTENSIONS", REG_BINARY, blob, sizeof blob);
    const TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.MainDir, "");
    EXPECT_EQ(s.Extensions, "B");
}

TEST_F(RegistryGarbage, HugeTextsWithAndWithoutTheirNulAreReadWhole) {
    const std::string huge(100 * 1024, 'D');
    SetRaw(kInstallKey, "MAINDIR", REG_SZ, huge.c_str(), DWORD(huge.size() + 1));
    SetRaw(kInstallKey, "EXTENSIONS", REG_SZ, huge.data(), DWORD(huge.size())); // no NUL
    const TSavedSettings s = LoadSettings();
    EXPECT_EQ(s.MainDir, huge);
    EXPECT_EQ(s.Extensions, huge);
}

TEST_F(RegistryGarbage, AnExpandableTextIsReadAsItStands) {
    SetRaw(kInstallKey, "MAINDIR", REG_EXPAND_SZ, "C:\\Q", 5);
    EXPECT_EQ(LoadSettings().MainDir, "C:\\Q");
}
