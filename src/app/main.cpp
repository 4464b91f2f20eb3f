// Start-up and exit of the setup program.
#include "app/app_info.h"
#include "app/command_line.h"
#include "app/dll_safety.h"
#include "app/os_version.h"
#include "app/unattended_install.h"
#include "app/unattended_options.h"
#include "engine/ask_user.h"
#include "payload/catalogue.h"
#include "payload/install_log.h"
#include "system/data_folders.h"
#include "wizard/main_dlg_form.h"

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
    InitShellFolders();
    RecordMainThread();
    // Released last, after the wizard (which waits for the install thread)
    // and the catalogue are gone.
    struct TShellFoldersGuard {
        ~TShellFoldersGuard() { DoneShellFolders(); }
    } shellFolders;

    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));

    // The catalogue exists before any window and outlives the wizard.
    auto catalogue = std::make_unique<TAttachedFiles>();
    std::string error;
    if (!catalogue->LoadFromResource(error)) {
        ShowDamagedSetup(error);
        return 0;
    }
    Catalogue = catalogue.get();

    if (unattended.Mode != TRunMode::Wizard) {
        const int code = RunUnattended(unattended);
        Catalogue = nullptr;
        catalogue.reset(); // removes leftover temporary files
        return code;
    }
    {
        TMainDlgForm wizard(icon);
        wizard.ShowModal();
        // After a quit the thread may still be finishing the file in hand;
        // it writes the log until then.
        wizard.WaitForInstallThread();
        // Only an installation that was started leaves a trace: the
        // choices, the uninstall entry, then "Install.log".
        if (InstallStarted) {
            wizard.SaveSettings();
            if (!IsPortable(wizard.Options.DestDir)) SaveInstallLog();
        }
    }

    Catalogue = nullptr;
    catalogue.reset(); // removes leftover temporary files
    return 0;
}
