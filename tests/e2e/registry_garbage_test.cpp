// The real setup.exe started over saved settings that another program or a
// damaged hive left in shapes it never writes: the wizard comes up, walks
// to the Ready page with sane choices and closes cleanly.
#include "wizard_person.h"

using namespace wizard;

namespace {

void SetRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS | ProgramView(),
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

struct TGarbage {
    const char* Name;
    void (*Plant)();
};

// The product's keys are cleared around every test.
class RegistryGarbage : public testing::TestWithParam<TGarbage> {};
} // namespace

TEST_P(RegistryGarbage, TheWizardWalksToTheReadyPageAndClosesCleanly) {
    GetParam().Plant();
    ASSERT_FALSE(HasFatalFailure());
    TPerson person;
    ASSERT_TRUE(person.Wizard) << person.Setup.Describe();
    ASSERT_TRUE(person.WalkTo(kStartTitle)) << person.Page();
    EXPECT_TRUE(person.Alone());
    const Message question = CloseWizard(person.Setup, person.Wizard);
    EXPECT_TRUE(question.window);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, RegistryGarbage,
    testing::Values(TGarbage{"TextWhereNumbersBelong",
                             [] {
                                 SetRaw(kInstallKey, "COMPS (1.6.6.2)", REG_SZ, "123", 4);
                                 SetRaw(kInstallKey, "INSTALLTOALL", REG_SZ, "yes", 4);
                                 SetRaw(kInstallKey, "DSKSHORTCUT", REG_SZ, "12345678", 9);
                                 SetRaw(kInternalKey, "LastRunVer", REG_SZ, "3.3", 4);
                             }},
                    TGarbage{"NumbersWhereTextsBelong",
                             [] {
                                 const DWORD three = 3;
                                 SetRaw(kInstallKey, "MAINDIR", REG_DWORD, &three, sizeof three);
                                 SetRaw(kInstallKey, "EXTENSIONS", REG_DWORD, &three, sizeof three);
                             }},
                    TGarbage{"HundredKilobyteTexts",
                             [] {
                                 const std::string huge(100 * 1024, 'D');
                                 SetRaw(kInstallKey, "MAINDIR", REG_SZ, ("C:\\" + huge).c_str(),
                                        DWORD(huge.size() + 4));
                                 SetRaw(kInstallKey, "EXTENSIONS", REG_SZ, huge.c_str(),
                                        DWORD(huge.size() + 1));
                             }},
                    TGarbage{"TextsWithoutTheirNul",
                             [] {
                                 SetRaw(kInstallKey, "MAINDIR", REG_SZ, "C:\\Quorvale", 11);
                                 SetRaw(kInstallKey, "EXTENSIONS", REG_SZ, "ABCD", 4);
                             }},
                    TGarbage{"ValuesOfOddSizes",
                             [] {
                                 const unsigned char eight[8] = {0xFF, 0xFF, 0xFF, 0xFF,
                                                                 1,    2,    3,    4};
                                 SetRaw(kInstallKey, "COMPS (1.6.6.2)", REG_BINARY, eight,
                                        sizeof eight);
                                 SetRaw(kInstallKey, "LAUNCH", REG_BINARY, eight, 1);
                                 SetRaw(kInstallKey, "MAINDIR", REG_SZ, "", 0);
                                 SetRaw(kInternalKey, "LastRunVer", REG_BINARY, eight, 2);
                             }}),
    [](const testing::TestParamInfo<TGarbage>& info) { return std::string(info.param.Name); });
