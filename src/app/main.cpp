// Start-up and exit of the setup program.
#include "app/app_info.h"
#include "app/dll_safety.h"
#include "app/os_version.h"
#include "app/single_setup.h"
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
    // A second copy started while this one runs shows the first and leaves.
    TSingleSetup single;
    if (single.Second()) return 0;
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
            if (!wizard.Portable()) SaveInstallLog();
        }
    }

    Catalogue = nullptr;
    catalogue.reset(); // removes leftover temporary files
    return 0;
}
