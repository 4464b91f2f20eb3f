// Start-up and exit of the setup program.
#include "app/command_line.h"
#include "app/dll_safety.h"
#include "app/os_version.h"
#include "app/single_setup.h"
#include "app/unattended_install.h"
#include "app/unattended_options.h"
#include "app/window_station.h"
#include "base/ansi_text.h"
#include "base/product_names.h"
#include "base/shell_folders.h"
#include "engine/ask_user.h"
#include "engine/install_run.h"
#include "payload/catalogue.h"
#include "payload/catalogue_loading.h"
#include "payload/diagnostic_log.h"
#include "payload/size_text.h"
#include "system/settings.h"
#include "system/user_rights.h"
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

// "2026-12-08": today's date, for the log's first line.
std::string Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string date = std::to_string(now.wYear) + "-00-00";
    date[5] = char('0' + now.wMonth / 10);
    date[6] = char('0' + now.wMonth % 10);
    date[8] = char('0' + now.wDay / 10);
    date[9] = char('0' + now.wDay % 10);
    return date;
}

// Opens the diagnostic log, when one is asked for, and writes its first
// lines: what runs, where, with which rights. False when it cannot be
// created (nothing is installed then).
bool StartDiagnosticLog(const TUnattendedOptions& options, bool quiet) {
    if (options.LogPath.empty()) return true;
    const std::string written = OpenDiagnosticLog(options.LogPath);
    if (written.empty()) {
        const std::string why = "the log \"" + options.LogPath + "\" cannot be written (" +
                                SystemErrorText(GetLastError()) + ")";
        if (!quiet)
            MessageBoxA(nullptr, UsageText(why).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    Diagnose(std::string(kProductName) + " setup, version 3.3.3.1, " + Today());
    Diagnose("Log: " + written +
             (SameName(written, options.LogPath)
                  ? std::string()
                  : " (something is at " + options.LogPath + " already: it is left alone)"));
    Diagnose(std::string("Command line: ") + GetCommandLineA());
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version))
        Diagnose("Windows " + std::to_string(version.dwMajorVersion) + "." +
                 std::to_string(version.dwMinorVersion) + " build " +
                 std::to_string(version.dwBuildNumber & 0xFFFF) + " " + version.szCSDVersion);
    const TAdministrator admin = Administrator();
    Diagnose(std::string("Administrator rights: ") + (admin == TAdministrator::Unknown ? "unknown"
                                                      : admin == TAdministrator::Yes   ? "yes"
                                                                                       : "no"));
    return true;
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

// Questions on the main thread of a run without the wizard: nobody is
// there to answer, and nothing is shown.
int NobodyAnswers(const std::string&, uint8_t, uint16_t) {
    return 0;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    if (!WindowsNT5OrLater) {
        MessageBoxA(nullptr, "This program requires Windows 2000 or later.", nullptr,
                    MB_OK | MB_ICONWARNING);
        return 0;
    }
    TUnattendedOptions options = ParseUnattendedOptions(Arguments(GetCommandLineA()));
    // In a session nobody sees (a deployment tool's service), no window is
    // ever shown: the options run silently, and the wizard cannot run.
    const bool visible = WindowsCanBeSeen();
    if (!visible && options.Mode == TRunMode::Passive) options.Mode = TRunMode::Silent;
    const bool quiet = ShowsNothing(options) || !visible;

    if (!options.Error.empty() || options.Mode == TRunMode::Usage) {
        // What is wrong goes into the log as well, when one is asked for.
        if (!options.Error.empty() && StartDiagnosticLog(options, true))
            Diagnose("Bad options: " + options.Error);
        if (!quiet)
            MessageBoxA(nullptr, UsageText(options.Error).c_str(), kApplicationTitle,
                        MB_OK | (options.Error.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
        const bool answered = options.Error.empty() && visible;
        return Finish(answered ? kExitSuccess : kExitBadOptions);
    }
    const bool wizard = options.Mode == TRunMode::Wizard;
    // One setup at a time, asked before anything else is opened; a second
    // copy shows the first and leaves, or without the wizard says so in
    // its exit code.
    TSingleSetup single(wizard && visible);
    if (single.Second()) return wizard && visible ? kExitSuccess : kExitProductRuns;
    // The diagnostic log is opened before anything is installed, so that a
    // run that cannot keep one changes nothing.
    if (!StartDiagnosticLog(options, quiet)) return kExitBadOptions;
    if (!visible && wizard) {
        Diagnose("Nobody can see this session's windows: the wizard is not shown (give /S to "
                 "install without it)");
        return Finish(kExitBadOptions);
    }
    InitShellFolders();
    RecordMainThread(wizard ? MessageDialog : NobodyAnswers);
    // Released last, after the run (which waits for the install thread)
    // and the catalogue are gone.
    struct TShellFoldersGuard {
        ~TShellFoldersGuard() { DoneShellFolders(); }
    } shellFolders;

    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));

    // The catalogue outlives the run. The wizard inflates it behind its
    // Welcome page, which needs none of it; whatever needs the catalogue
    // waits for it.
    auto catalogue = std::make_unique<TAttachedFiles>();
    TCatalogueLoading loading(*catalogue);

    if (!wizard) {
        // Without the wizard the whole payload is unpacked and checked
        // before anything else, and nobody is there to read a message.
        loading.Start();
        if (loading.Wait() != TCatalogueLoading::TState::Loaded) {
            DiagnoseLoadFailure(loading);
            return Finish(kExitFailed);
        }
    }

    int code = kExitSuccess;
    {
        // The settings are read without making their keys: the wizard makes
        // them once the product's files are known to be sound, so that a
        // damaged setup program leaves nothing behind, and a run without it
        // only writes them when it installs. The wizard shows a destination
        // given on the command line in its page; a run without it checks the
        // destination first.
        TInstallRun run(
            *catalogue,
            ChoicesFromSettings(LoadSettings(false), wizard ? options.Destination : std::nullopt));
        if (wizard) {
            TMainDlgForm form(icon, run, loading);
            form.ShowModal();
            // After a quit the thread may still be finishing the file in
            // hand; it writes the log until then.
            run.WaitForCopy();
        } else {
            code = RunUnattended(run, options);
        }
        // Only an installation that was started leaves a trace: the
        // choices, the uninstall entry, then "Install.log".
        run.Record();
    }
    // A wizard closed while the files were still unpacked stops that. With
    // sound files the wizard leaves the settings keys, as reading them makes
    // them; the wizard read them without, in case the files were damaged.
    const TCatalogueLoading::TState loaded = loading.Stop();
    if (loaded == TCatalogueLoading::TState::Loaded && wizard) CreateSettingsKeys();
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
    return Finish(code);
}
