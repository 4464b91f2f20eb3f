// DLLs planted where a downloaded setup program starts from: beside
// setup.exe (a downloads folder) and in the current folder. Canary DLLs
// under the names of system DLLs that the program and its controls load
// must never be loaded, through a whole installation. With elevation a DLL
// loaded from there would run as administrator.
#include "wizard_person.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

using namespace wizard;

namespace {
// System DLLs a setup program and the controls it uses may load by name:
// the usual victims of planting, and what Wine loads for setup.exe
// (WINEDEBUG=+loaddll).
const char* const kPlantedNames[] = {
    "shfolder.dll",
    "version.dll",
    "uxtheme.dll",
    "dwmapi.dll",
    "riched20.dll",
    "riched32.dll",
    "msftedit.dll",
    "cryptbase.dll",
    "ntmarta.dll",
    "userenv.dll",
    "propsys.dll",
    "oleacc.dll",
    "comctl32.dll",
    "comdlg32.dll",
    "shell32.dll",
    "shlwapi.dll",
    "ole32.dll",
    "oleaut32.dll",
    "rpcrt4.dll",
    "msimg32.dll",
    "imm32.dll",
    "usp10.dll",
    "winmm.dll",
    "wintrust.dll",
    "crypt32.dll",
    "secur32.dll",
    "profapi.dll",
    "sspicli.dll",
    "apphelp.dll",
    "setupapi.dll",
    "mpr.dll",
    "netapi32.dll",
    "wtsapi32.dll",
    "msctf.dll",
    "winspool.drv",
    "linkinfo.dll",
    "ntshrui.dll",
    "srvcli.dll",
    "cscapi.dll",
    "explorerframe.dll",
    "dbghelp.dll",
    "iertutil.dll",
    "urlmon.dll",
    "wininet.dll",
    "windowscodecs.dll",
    "gdiplus.dll",
    "textinputframework.dll",
    "coremessaging.dll",
    "dui70.dll",
    "duser.dll",
    "xmllite.dll",
    "atl.dll",
    "clbcatq.dll",
    "sxs.dll",
    "bcrypt.dll",
    "cryptsp.dll",
    "rsaenh.dll",
    "kernel.appcore.dll",
    "powrprof.dll",
    "dnsapi.dll",
    "iphlpapi.dll",
    "wsock32.dll",
    "ws2_32.dll",
    "msasn1.dll",
};

// Wine has no KnownDLLs: for the program's static imports and the start-up
// work of its own DLLs, its loader searches the program's folder before the
// program's first instruction runs, where no run-time call can reach (ole32
// and rpcrt4 as imports, imm32 and version for user32, uxtheme for
// comctl32, msimg32 as an import of that uxtheme). It still runs its own
// code for them; Windows takes them from its KnownDLLs or the side-by-side
// store. These are the only names that may appear from the planted folder.
const char* const kResolvedBeforeTheProgramRuns[] = {"ole32.dll",   "rpcrt4.dll",  "imm32.dll",
                                                     "version.dll", "uxtheme.dll", "msimg32.dll"};

bool ResolvedBeforeTheProgramRuns(const std::string& name) {
    for (const char* early : kResolvedBeforeTheProgramRuns)
        if (lstrcmpiA(early, name.c_str()) == 0) return true;
    return false;
}

// Makes Wine prefer a native DLL found by name to its own for every other
// planted name: a canary found in a planted folder then runs and leaves its
// marker, as it would on Windows.
std::string NativeFirstOverrides() {
    char current[4096] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", current, sizeof current);
    std::string names;
    for (const char* name : kPlantedNames) {
        if (ResolvedBeforeTheProgramRuns(name)) continue;
        std::string base = name;
        if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
            base.resize(base.size() - 4);
        names += (names.empty() ? "" : ",") + base;
    }
    return std::string(current) + (*current ? ";" : "") + names + "=n,b";
}

std::string CanaryDll() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return JoinPath(folder.substr(0, folder.find_last_of('\\')), "canary.dll");
}

// The canary's markers in a folder: the planted DLLs that were loaded.
std::vector<std::string> LoadedCanaries(const std::string& folder) {
    std::vector<std::string> loaded;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, "*.loaded").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return loaded;
    do
        loaded.push_back(found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return loaded;
}

// The modules of a running process that lie in `folder`.
std::vector<std::string> ModulesFrom(DWORD process, const std::string& folder) {
    std::vector<std::string> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32 module;
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more;
         more = Module32Next(snapshot, &module)) {
        const std::string path = module.szExePath;
        if (path.size() > folder.size() &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.c_str(), int(folder.size()),
                           folder.c_str(), int(folder.size())) == CSTR_EQUAL &&
            lstrcmpiA(FileName(path).c_str(), "setup.exe") != 0)
            modules.push_back(path);
    }
    CloseHandle(snapshot);
    return modules;
}

class PlantedDlls : public testing::Test {
  protected:
    void SetUp() override {
        const std::string scratch = ScratchDir();
        Downloads = JoinPath(scratch, "Downloads");
        Current = JoinPath(scratch, "Current");
        ASSERT_TRUE(MakeFolders(Downloads));
        ASSERT_TRUE(MakeFolders(Current));
        for (const char* name : kPlantedNames) {
            ASSERT_TRUE(CopyTo(CanaryDll(), JoinPath(Downloads, name))) << name;
            ASSERT_TRUE(CopyTo(CanaryDll(), JoinPath(Current, name))) << name;
        }
        Dest = JoinPath(scratch, "Quorvale");
    }

    std::vector<std::string> Loaded() const {
        std::vector<std::string> loaded = LoadedCanaries(Downloads);
        for (const auto& name : LoadedCanaries(Current))
            loaded.push_back("current folder: " + name);
        return loaded;
    }

    std::string Downloads, Current, Dest;
};
} // namespace

// The canary itself: loaded by name from a program's own folder by a
// program that does not guard against it, it leaves its marker.
TEST_F(PlantedDlls, TheCanaryReportsItsLoading) {
    // A name no system DLL has: an already loaded system DLL of the same
    // name would be handed out instead.
    ASSERT_TRUE(CopyTo(CanaryDll(), JoinPath(Downloads, "canary-check.dll")));
    HMODULE canary = LoadLibraryA(JoinPath(Downloads, "canary-check.dll").c_str());
    ASSERT_TRUE(canary);
    FreeLibrary(canary);
    EXPECT_EQ(LoadedCanaries(Downloads), std::vector<std::string>{"canary-check.dll.loaded"});
}

TEST_F(PlantedDlls, NoneIsLoadedThroughAWholeInstallation) {
    const std::string exe = JoinPath(Downloads, "setup.exe");
    ASSERT_TRUE(MakeSetupCopy(exe));
    Launch launch = TPerson::Into(Dest);
    launch.dir = Current;
    launch.env.push_back({"WINEDLLOVERRIDES", NativeFirstOverrides()});
    std::vector<std::string> seen, early;
    {
        TPerson person(exe, launch);
        ASSERT_TRUE(person.Wizard);
        const DWORD id = person.Setup.Id();
        auto look = [&] {
            for (const auto& folder : {Downloads, Current})
                for (const auto& module : ModulesFrom(id, folder)) {
                    if (folder == Downloads && ResolvedBeforeTheProgramRuns(FileName(module)))
                        early.push_back(FileName(module));
                    else
                        seen.push_back(module);
                }
        };
        look();
        ASSERT_TRUE(person.WalkTo(kSelCompTitle));
        look();
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        look();
        // The finish page's own options: no launch of the word processor,
        // whose loading is its own business.
        HWND launchBox = TryFindControl(person.Wizard, "&Launch Quorvale Word Processor");
        if (launchBox && IsChecked(launchBox)) Click(launchBox);
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    EXPECT_TRUE(FileExists(JoinPath(Dest, "kel.exe"))); // it did install
    EXPECT_EQ(seen, std::vector<std::string>{});
    EXPECT_EQ(Loaded(), std::vector<std::string>{});
    std::sort(early.begin(), early.end());
    early.erase(std::unique(early.begin(), early.end()), early.end());
    std::printf("DLL names planted: %zu (in two folders), loaded: %zu; names Wine resolved there "
                "before the program ran (its own code): %zu\n",
                sizeof kPlantedNames / sizeof *kPlantedNames, Loaded().size() + seen.size(),
                early.size());
}

// A damaged setup program stops early (at most its Welcome page shown),
// through its own message box: that path must not load them either.
TEST_F(PlantedDlls, NoneIsLoadedByTheDamagedSetupMessage) {
    const std::string exe = JoinPath(Downloads, "setup.exe");
    const std::string damaged = "not a zlib stream";
    ASSERT_TRUE(MakeSetupCopy(exe, &damaged));
    Launch launch;
    launch.dir = Current;
    launch.env.push_back({"WINEDLLOVERRIDES", NativeFirstOverrides()});
    Process setup(exe, launch);
    const Message message = WaitStartupMessage(setup);
    ASSERT_TRUE(message.window);
    ASSERT_TRUE(Answer(message, "OK"));
    EXPECT_EQ(setup.WaitExit(), 0);
    EXPECT_EQ(Loaded(), std::vector<std::string>{});
}
