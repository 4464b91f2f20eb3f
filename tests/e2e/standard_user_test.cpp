// A user who is not an administrator, at the wizard. The runner makes
// "Program Files" and the common Start menu and desktop read-only to this
// user; the test locks the machine's uninstall key, and makes an
// administrator's data folder read-only where a case needs one. The wizard
// offers the user's own programs folder, refuses Program Files with a
// message, and the installation is for the user alone: the user's own
// links, uninstall entry and data folder, nothing machine-wide.
#include "shell_link_reader.h"
#include "wizard_person.h"

#include <aclapi.h>
#include <sddl.h>

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
std::string MachineData() {
    return JoinPath(Environment("ProgramData"), "Quorvale");
}
std::string OwnData() {
    return JoinPath(ShellFolder(CSIDL_APPDATA), "Quorvale");
}

// Every item below `folder` with its bytes, as "name=bytes" lines.
std::string Contents(const std::string& folder) {
    std::string listing;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return listing;
    do {
        const std::string name = found.cFileName, path = JoinPath(folder, name);
        if (name == "." || name == "..") continue;
        listing += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                       ? name + "\\\n" + Contents(path)
                       : name + "=" + ReadFile(path) + "\n";
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return listing;
}

// An administrator's installation for everyone left this data folder,
// which a standard user may only read (Wine turns the access list into
// the file modes that the runner's user is held by) while the object lives.
class TAdministratorsData {
  public:
    TAdministratorsData() {
        DeleteTree(MachineData());
        MakeFolders(JoinPath(MachineData(), "Public\\Templates"));
        MakeFolders(JoinPath(MachineData(), "Hidden"));
        WriteFile(JoinPath(MachineData(), "Update.log"), "[administrator's]\r\n");
        WriteFile(JoinPath(MachineData(), "kel_common.dat"), std::string(16, '\1'));
        WriteFile(JoinPath(MachineData(), "Public\\Templates\\Plain.kwt"), "everyone's");
        Protect(MachineData(), "D:P(A;OICI;0x1200a9;;;WD)");
    }
    ~TAdministratorsData() {
        Protect(MachineData(), "D:(A;OICI;FA;;;WD)");
        DeleteTree(MachineData());
    }

  private:
    static void Protect(const std::string& path, const char* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return;
        std::vector<std::string> items{path};
        for (size_t i = 0; i < items.size(); ++i) {
            SetFileSecurityA(items[i].c_str(), DACL_SECURITY_INFORMATION, descriptor);
            WIN32_FIND_DATAA found;
            HANDLE find = FindFirstFileA(JoinPath(items[i], "*").c_str(), &found);
            if (find == INVALID_HANDLE_VALUE) continue;
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") items.push_back(JoinPath(items[i], name));
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        LocalFree(descriptor);
    }
};

// The text of the stand-in word processor's window, once it is there.
std::string StandInText() {
    for (int tick = 0; tick < 200; ++tick) {
        if (HWND window = FindWindowA("QuorvaleStandIn", nullptr))
            if (HWND note = GetWindow(window, GW_CHILD)) return Text(note);
        Sleep(100);
    }
    return std::string();
}
} // namespace

TEST(StandardUser, InstallsIntoAFolderOfTheirOwnWithTheirOwnLinksAndEntry) {
    const std::string why = NotAStandardUser();
    if (!why.empty()) GTEST_SKIP() << why;
    TLockedMachineKey machineKey;
    ASSERT_TRUE(machineKey.Locked());
    // Under a user whom the runner names, all of the user's own is under
    // that name.
    if (!NamedUser().empty()) {
        ASSERT_EQ(ShellFolder(CSIDL_PROFILE), "C:\\users\\" + NamedUser());
    }
    const std::string own = OwnDestination();
    const std::string refused = ProgramFilesDestination();
    DeleteTree(own);
    DeleteTree(OwnData());
    // After an administrator's installation: not one question about the
    // files that belong to it, and nothing of it changes.
    TAdministratorsData administrators;
    const std::string machineData = Contents(MachineData());

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
    // The word processor it started finds the user's own data.
    EXPECT_NE(StandInText().find("Data folder: " + JoinPath(OwnData(), "")), std::string::npos);
    CloseStandIns();

    EXPECT_EQ(Contents(MachineData()), machineData);
    for (const char* file : {"kel_common.dat", "Update.log", "Hidden\\install_stamp",
                             "Public\\Basic.asn", "Public\\Templates\\Memo.kwt"})
        EXPECT_TRUE(FileExists(JoinPath(OwnData(), file))) << file;
    EXPECT_TRUE(FileExists(JoinPath(own, "kel.exe")));
    EXPECT_EQ(GetFileAttributesA(refused.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadShellLink(LinkPath(false, false)).Path, JoinPath(own, "kel.exe"));
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
    TLockedMachineKey machineKey;
    ASSERT_TRUE(machineKey.Locked());
    const std::string own = OwnDestination();
    const std::string refused = ProgramFilesDestination();
    DeleteTree(own);
    // A first installation on the machine, for the user alone: nothing
    // machine-wide is made.
    DeleteTree(MachineData());
    const auto run = [](const std::vector<std::string>& args) {
        Launch launch;
        launch.args = args;
        Process setup(SetupExe(), launch);
        return setup.WaitExit(120000);
    };
    EXPECT_EQ(run({"-d" + refused, "/S"}), 87); // as the wizard refuses it
    EXPECT_EQ(GetFileAttributesA(refused.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(run({"/S"}), 0);
    EXPECT_TRUE(FileExists(JoinPath(own, "kel.exe")));
    EXPECT_EQ(GetFileAttributesA(MachineData().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FileExists(JoinPath(OwnData(), "Hidden\\install_stamp")));
    // Links for everyone were asked for (the default): the user's own.
    EXPECT_TRUE(FileExists(LinkPath(false, false)));
    EXPECT_FALSE(FileExists(LinkPath(false, true)));
    DeleteTree(own);
}

TEST(StandardUser, ATemporaryFolderThatTakesNoFileIsNamedAndTheLicenseStillShows) {
    const std::string why = NotAStandardUser();
    if (!why.empty()) GTEST_SKIP() << why;
    const std::string temp = JoinPath(ScratchDir(), "Temp");
    ASSERT_TRUE(MakeFolders(temp));
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;OICI;0x1200a9;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    ASSERT_TRUE(SetFileSecurityA(temp.c_str(), DACL_SECURITY_INFORMATION, readOnly));
    LocalFree(readOnly);
    Launch launch;
    launch.env = {{"TEMP", temp}, {"TMP", temp}};
    TPerson person(SetupExe(), launch);
    ASSERT_TRUE(person.Press(kNext));
    const Message question = person.Question();
    EXPECT_EQ(question.text.rfind("Cannot create a temporary file in the folder \"" +
                                      JoinPath(temp, "") + "\".",
                                  0),
              0u)
        << question.text;
    ASSERT_TRUE(Answer(question, "&Ignore"));
    ASSERT_TRUE(person.WaitPage(kLicenseTitle));
    EXPECT_EQ(Text(FindControlByClass(person.Wizard, "Edit")).rfind("QUORVALE WORD PROCESSOR", 0),
              0u);
    CloseWizard(person.Setup, person.Wizard);
    EXPECT_EQ(person.Setup.WaitExit(), 0);
}
