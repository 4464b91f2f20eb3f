// Start-up and exit of the setup program.
#include "app/command_line.h"
#include "app/dll_safety.h"
#include "app/os_version.h"
#include "app/single_setup.h"
#include "app/unattended_install.h"
#include "app/unattended_options.h"
#include "base/product_names.h"
#include "base/run_time_functions.h"
#include "base/shell_folders.h"
#include "engine/ask_user.h"
#include "payload/catalogue.h"
#include "payload/catalogue_loading.h"
#include "payload/diagnostic_log.h"
#include "payload/install_log.h"
#include "payload/size_text.h"
#include "system/settings.h"
#include "wizard/main_dlg_form.h"
#include "wizard/message_dialog.h"

#include <windows.h>

#include <memory>
#include <string>

namespace {
void ShowDamagedSetup(const std::string& reason) {
    std::string text = "The setup program is damaged and cannot install " +
                       std::string(kProductName) + ": " + reason +
                       ".\r\rPlease download the setup program again.";
    MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

// The product's files are unpacked into memory behind the Welcome page: a
// large product on a system short of memory ends there, with what it takes.
std::string NotEnoughMemoryText(uint64_t needed) {
    return "There is not enough memory to unpack the files of " + std::string(kProductName) +
           ": setup needs " + FormatSize(int64_t(needed)) +
           " for them.\r\rClose other programs and start setup again.";
}

// The first lines of the diagnostic log: what runs, where, with which rights.
void DiagnoseStart() {
    Diagnose(std::string(kProductName) + " setup, version 3.3.3.1");
    Diagnose(std::string("Command line: ") + GetCommandLineA());
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version))
        Diagnose("Windows " + std::to_string(version.dwMajorVersion) + "." +
                 std::to_string(version.dwMinorVersion) + " build " +
                 std::to_string(version.dwBuildNumber & 0xFFFF) + " " + version.szCSDVersion);
    // Looked up: the shells before Windows 2000 do not have it.
    using TIsUserAnAdmin = BOOL(WINAPI*)();
    const auto isAdmin = LoadedFunction<TIsUserAnAdmin>("shell32.dll", "IsUserAnAdmin");
    Diagnose(std::string("Administrator rights: ") + (!isAdmin    ? "unknown"
                                                      : isAdmin() ? "yes"
                                                                  : "no"));
}

void DiagnoseLoadFailure(const TCatalogueLoading& loading) {
    if (const uint64_t needed = loading.MemoryNeeded())
        Diagnose("Not enough memory to unpack the files: " + std::to_string(needed) +
                 " bytes were needed");
    else
        Diagnose("The setup program is damaged: " + loading.Error());
}

int Finish(int code) {
    Diagnose("Exit code: " + std::to_string(code));
    CloseDiagnosticLog();
    return code;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    if (!WindowsNT5OrLater) {
        MessageBoxA(nullptr, "This program requires Windows 2000 or later.", nullptr,
                    MB_OK | MB_ICONWARNING);
        return 0;
    }
    // Options of an installation without the wizard; none, and the
    // program is the wizard as ever.
    const TUnattendedOptions unattended = ParseUnattendedOptions(Arguments(GetCommandLineA()));
    if (!unattended.Error.empty() || unattended.Mode == TRunMode::Usage) {
        if (unattended.Mode != TRunMode::Silent)
            MessageBoxA(nullptr, UsageText(unattended.Error).c_str(), kApplicationTitle,
                        MB_OK | (unattended.Error.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
        return unattended.Error.empty() ? kExitSuccess : kExitBadOptions;
    }
    // The diagnostic log is opened before anything is installed, so that a
    // run that cannot keep one changes nothing.
    if (!unattended.LogPath.empty()) {
        if (!OpenDiagnosticLog(unattended.LogPath)) {
            const std::string why = "the log \"" + unattended.LogPath + "\" cannot be written (" +
                                    SystemErrorText(GetLastError()) + ")";
            if (unattended.Mode != TRunMode::Silent)
                MessageBoxA(nullptr, UsageText(why).c_str(), kApplicationTitle,
                            MB_OK | MB_ICONERROR);
            return kExitBadOptions;
        }
        DiagnoseStart();
    }
    // A second copy started while this one runs shows the first and leaves;
    // without the wizard it only says so in its exit code.
    TSingleSetup single(unattended.Mode == TRunMode::Wizard);
    if (single.Second()) return Finish(unattended.Mode == TRunMode::Wizard ? 0 : kExitProductRuns);

    // The catalogue outlives the wizard. It is inflated behind the Welcome
    // page, which needs none of it and starts it once it is up; whatever
    // needs the catalogue waits for it.
    auto catalogue = std::make_unique<TAttachedFiles>();
    TCatalogueLoading loading(*catalogue);

    InitShellFolders();
    RecordMainThread(MessageDialog);
    // Released last, after the wizard (which waits for the install thread)
    // and the catalogue are gone.
    struct TShellFoldersGuard {
        ~TShellFoldersGuard() { DoneShellFolders(); }
    } shellFolders;

    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));

    if (unattended.Mode != TRunMode::Wizard) {
        // Without the wizard the whole payload is unpacked and checked
        // before anything else, and nobody is there to read a message.
        loading.Start();
        if (loading.Wait() != TCatalogueLoading::TState::Loaded) {
            DiagnoseLoadFailure(loading);
            return Finish(kExitFailed);
        }
        const int code = RunUnattended(unattended);
        Catalogue = nullptr;
        catalogue.reset(); // removes leftover temporary files
        return Finish(code);
    }
    {
        std::string folder;
        const bool given = DestinationArgument(FirstArgument(GetCommandLineA()), folder);
        TMainDlgForm wizard(icon, given ? std::optional<std::string>(folder) : std::nullopt,
                            loading);
        wizard.ShowModal();
        // After a quit the thread may still be finishing the file in hand;
        // it writes the log until then.
        wizard.WaitForInstallThread();
        // Only an installation that was started leaves a trace: the
        // choices, the uninstall entry, then "Install.log".
        if (InstallStarted) {
            wizard.SaveSettings();
            if (!wizard.Portable()) SaveInstallLog();
        }
    }
    // A wizard closed while the files were still unpacked stops that. With
    // sound files the run leaves the settings keys, as reading them makes
    // them; the wizard read them without, in case the files were damaged.
    const TCatalogueLoading::TState loaded = loading.Stop();
    if (loaded == TCatalogueLoading::TState::Loaded) CreateSettingsKeys();
    if (loaded == TCatalogueLoading::TState::Failed) {
        DiagnoseLoadFailure(loading);
        const uint64_t needed = loading.MemoryNeeded();
        if (needed)
            MessageBoxA(nullptr, NotEnoughMemoryText(needed).c_str(), kApplicationTitle,
                        MB_OK | MB_ICONERROR);
        else
            ShowDamagedSetup(loading.Error());
    }

    Catalogue = nullptr;
    catalogue.reset(); // removes leftover temporary files
    return Finish(0);
}
