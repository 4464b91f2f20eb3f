// A user who is not an administrator, at the wizard. The runner makes
// "Program Files" and the common Start menu and desktop read-only to this
// user; the test locks the machine's uninstall key. The wizard offers the
// user's own programs folder, refuses Program Files with a message, and the
// installation ends with the user's own links and uninstall entry.
#include "wizard_person.h"

#include <aclapi.h>

using namespace wizard;

namespace {
constexpr char kInstallToAll[] = "Install for &anyone who uses this computer";

std::string ProgramFilesDestination() {
    return JoinPath(ProgramFilesFolder(), "Quorvale");
}

std::string OwnDestination() {
    return JoinPath(JoinPath(ShellFolder(CSIDL_LOCAL_APPDATA), "Programs"), "Quorvale");
}

// Why this process is no standard user, or empty: one that may make a
// folder in Program Files is not held by the permissions.
std::string NotAStandardUser() {
    const std::string probe = JoinPath(ProgramFilesFolder(), "qv-rights-probe");
    if (!CreateDirectoryA(probe.c_str(), nullptr)) return "";
    RemoveDirectoryA(probe.c_str());
    return "this process may write to Program Files (run it through scripts/wine-run-user)";
}

// Wine lets every user write the machine's keys: the product's uninstall
// key is made readable only, as it is to a standard user, while the object
// lives.
class TLockedMachineKey {
  public:
    TLockedMachineKey() { Lock(KEY_READ); }
    ~TLockedMachineKey() {
        Lock(KEY_ALL_ACCESS);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, ProgramView(), 0);
    }
    bool Locked() const { return Locked_; }

  private:
    void Lock(DWORD access) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0,
                            WRITE_DAC | ProgramView(), nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        PACL acl = nullptr;
        if (AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                     &everyone)) {
            EXPLICIT_ACCESSA grant{};
            grant.grfAccessPermissions = access;
            grant.grfAccessMode = SET_ACCESS;
            grant.Trustee.TrusteeForm = TRUSTEE_IS_SID;
            grant.Trustee.ptstrName = static_cast<LPSTR>(everyone);
            if (SetEntriesInAclA(1, &grant, nullptr, &acl) == ERROR_SUCCESS)
                Locked_ =
                    SetSecurityInfo(key, SE_REGISTRY_KEY,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS &&
                    access == KEY_READ;
            LocalFree(acl);
            FreeSid(everyone);
        }
        RegCloseKey(key);
    }
    bool Locked_ = false;
};
} // namespace

TEST(StandardUser, InstallsIntoAFolderOfTheirOwnWithTheirOwnLinksAndEntry) {
    const std::string why = NotAStandardUser();
    if (!why.empty()) GTEST_SKIP() << why;
    TLockedMachineKey machineKey;
    ASSERT_TRUE(machineKey.Locked());
    const std::string own = OwnDestination();
    const std::string refused = ProgramFilesDestination();
    DeleteTree(own);

    TPerson person;
    ASSERT_TRUE(person.Wizard);
    ASSERT_TRUE(person.WalkTo(kDestDirTitle));
    HWND edit = FindControlByClass(person.Wizard, "Edit", 1);
    // A first run: the folder the user can write, not one under Program Files.
    EXPECT_EQ(Text(edit), own);

    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
    Type(edit, refused);
    ASSERT_TRUE(person.Press(kNext));
    const Message message = person.Question();
    ASSERT_TRUE(message.window);
    EXPECT_EQ(message.text,
              "You do not have permission to create or change files in the folder \"" + refused +
                  "\".\r\rTo install Quorvale Word Processor there, start the setup program as "
                  "an administrator. Otherwise please choose a folder of your own, such as \"" +
                  own + "\".");
    ASSERT_TRUE(Answer(message, "OK"));
    EXPECT_EQ(person.Page(), kDestDirTitle);

    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(""));
    Type(edit, own);
    ASSERT_TRUE(person.WalkTo(kStartTitle));
    // Links for everyone cannot be written: the choice is not offered.
    EXPECT_FALSE(IsChecked(person.Control(kInstallToAll)));
    EXPECT_FALSE(person.Enabled(kInstallToAll));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);

    EXPECT_TRUE(FileExists(JoinPath(own, "kel.exe")));
    EXPECT_EQ(GetFileAttributesA(refused.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FileExists(LinkPath(false, false)));
    EXPECT_TRUE(FileExists(LinkPath(true, false)));
    EXPECT_FALSE(FileExists(LinkPath(false, true)));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayIcon").Text(),
              JoinPath(own, "kel.exe"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUninstallKey, "UninstallString").Text(),
              "\"" + JoinPath(own, "kel.exe") + "\" -ui");
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon").Exists);
    DeleteTree(own);
}

TEST(StandardUser, AnUnattendedRunRefusesProgramFilesAndTakesTheirOwnFolderByDefault) {
    const std::string why = NotAStandardUser();
    if (!why.empty()) GTEST_SKIP() << why;
    const std::string own = OwnDestination();
    const std::string refused = ProgramFilesDestination();
    DeleteTree(own);
    const auto run = [](const std::vector<std::string>& args) {
        Launch launch;
        launch.args = args;
        Process setup(SetupExe(), launch);
        return setup.WaitExit(120000);
    };
    EXPECT_EQ(run({"-d" + refused, "/S"}), 1603);
    EXPECT_EQ(GetFileAttributesA(refused.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(run({"/S"}), 0);
    EXPECT_TRUE(FileExists(JoinPath(own, "kel.exe")));
    // Links for everyone were asked for (the default) and could not be
    // saved: the user's own.
    EXPECT_TRUE(FileExists(LinkPath(false, false)));
    EXPECT_FALSE(FileExists(LinkPath(false, true)));
    DeleteTree(own);
}
