// Start-up and exit of the setup program.
#include "app/command_line.h"
#include "app/dll_safety.h"
#include "app/os_version.h"
#include "app/single_setup.h"
#include "app/unattended_install.h"
#include "app/command_line_options.h"
#include "app/window_station.h"
#include "base/locale_text.h"
#include "base/product_names.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
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
// The system's message box, for what is said before or after the wizard.
// Through the wide call: a message may quote a path.
void ShowMessage(const std::string& text, UINT flags) {
    MessageBoxW(nullptr, WideText(text).c_str(), WideText(kApplicationTitle).c_str(), flags);
}

// The command line as the system holds it, with the names it gives
// spelled exactly.
std::string CommandLine() {
    return Utf8Text(TWideText(GetCommandLineW()));
}

void ShowDamagedSetup(const std::string& reason) {
    std::string text = "The setup program is damaged and cannot install " +
                       std::string(kProductName) + ": " + reason +
                       ".\r\rPlease download the setup program again.";
    ShowMessage(text, MB_OK | MB_ICONERROR);
}

// The product's files are unpacked into memory behind the Welcome page: a
// large product on a system short of memory ends there, with what it takes.
std::string NotEnoughMemoryText(uint64_t needed) {
    return "There is not enough memory to unpack the files of " + std::string(kProductName) +
           ": setup needs " + FormatSize(int64_t(needed)) +
           " for them.\r\rClose other programs and start setup again.";
}

// A second wizard says why it goes, then shows the first.
int ShowSecondSetup(const TSingleSetup& single) {
    const std::string text = std::string("Setup is already running") +
                             (single.ForAnotherUser() ? " for another user" : "") +
                             ".\r\rOnly one setup program can run at a time.";
    ShowMessage(text, MB_OK | MB_ICONINFORMATION);
    TSingleSetup::ShowFirst();
    return kExitProductRuns;
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
bool StartDiagnosticLog(const TCommandLineOptions& options, bool quiet) {
    if (options.LogPath.empty()) return true;
    const std::string written = OpenDiagnosticLog(options.LogPath);
    if (written.empty()) {
        const std::string why = "the log \"" + options.LogPath + "\" cannot be written (" +
                                SystemErrorText(GetLastError()) + ")";
        if (!quiet) ShowMessage(UsageText(why), MB_OK | MB_ICONERROR);
        return false;
    }
    Diagnose(std::string(kProductName) + " setup, version 3.3.3.1, " + Today() + ", log in UTF-8");
    Diagnose("Log: " + written +
             (SameName(written, options.LogPath)
                  ? std::string()
                  : " (something is at " + options.LogPath + " already: it is left alone)"));
    Diagnose("Command line: " + CommandLine());
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

// The last line of the diagnostic log, and the process's exit code.
int ExitWith(int code) {
    Diagnose("Exit code: " + std::to_string(code));
    CloseDiagnosticLog();
    return code;
}

// Questions on the main thread of a run without the wizard: nobody is
// there to answer, and nothing is shown.
int NobodyAnswers(const std::string&, uint8_t, uint16_t) {
    return 0;
}

// What the command line and the session make of this run.
struct TStartUp {
    TCommandLineOptions Options;
    bool Visible = true; // the session's windows can be seen
    bool Quiet = false;  // no window at all
    bool Wizard() const { return Options.Mode == TRunMode::Wizard; }
};

TStartUp ReadStartUp() {
    TStartUp start;
    start.Options = ParseCommandLineOptions(Arguments(CommandLine().c_str()));
    // In a session nobody sees (a deployment tool's service), no window is
    // ever shown: the options run silently, and the wizard cannot run.
    start.Visible = WindowsCanBeSeen();
    if (!start.Visible && start.Options.Mode == TRunMode::Passive)
        start.Options.Mode = TRunMode::Silent;
    start.Quiet = ShowsNothing(start.Options) || !start.Visible;
    return start;
}

// The usage message, asked for or for options that are wrong; what is
// wrong goes into the log as well, when one is asked for.
int ShowUsage(const TStartUp& start) {
    const std::string& error = start.Options.Error;
    if (!error.empty() && StartDiagnosticLog(start.Options, true))
        Diagnose("Bad options: " + error);
    if (!start.Quiet)
        ShowMessage(UsageText(error), MB_OK | (error.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
    return ExitWith(error.empty() && start.Visible ? kExitSuccess : kExitBadOptions);
}

// A wizard whose files were damaged or could not be unpacked says so once
// it has closed.
void ShowLoadFailure(const TCatalogueLoading& loading) {
    if (const uint64_t needed = loading.MemoryNeeded())
        ShowMessage(NotEnoughMemoryText(needed), MB_OK | MB_ICONERROR);
    else
        ShowDamagedSetup(loading.Error());
}

// The product's files, the installation run and one front-end driving it.
// Returns the exit code.
int Install(const TStartUp& start, HICON icon) {
    const bool wizard = start.Wizard();
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
            return kExitFailed;
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
        TInstallRun run(*catalogue, LoadSettings(false),
                        wizard ? start.Options.Destination : std::nullopt);
        if (wizard)
            TMainDlgForm(icon, run, loading).ShowModal();
        else
            code = RunUnattended(run, start.Options);
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
        ShowLoadFailure(loading);
    }
    Catalogue = nullptr;
    return code; // the catalogue removes leftover temporary files as it goes
}

// The shell folders, from the start of the installation to the very end:
// released after the run and the catalogue are gone.
struct TShellFoldersScope {
    TShellFoldersScope() { InitShellFolders(); }
    ~TShellFoldersScope() { DoneShellFolders(); }
    TShellFoldersScope(const TShellFoldersScope&) = delete;
    TShellFoldersScope& operator=(const TShellFoldersScope&) = delete;
};
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    if (!WindowsNT5OrLater) {
        MessageBoxW(nullptr, L"This program requires Windows 2000 or later.", nullptr,
                    MB_OK | MB_ICONWARNING);
        return 0;
    }
    const TStartUp start = ReadStartUp();
    if (!start.Options.Error.empty() || start.Options.Mode == TRunMode::Usage)
        return ShowUsage(start);
    // One setup at a time, asked before anything else is opened (the second
    // copy's log would be the first's): a second wizard says so and shows
    // the first; without the wizard the exit code says so.
    const TSingleSetup single;
    if (single.Second())
        return start.Wizard() && start.Visible ? ShowSecondSetup(single) : kExitProductRuns;
    // The diagnostic log is opened before anything is installed, so that a
    // run that cannot keep one changes nothing.
    if (!StartDiagnosticLog(start.Options, start.Quiet)) return kExitBadOptions;
    if (single.IgnoredUsersName())
        Diagnose("Single setup: the name of a running setup is held by no administrator: ignored");
    if (!start.Visible && start.Wizard()) {
        Diagnose("Nobody can see this session's windows: the wizard is not shown (give /S to "
                 "install without it)");
        return ExitWith(kExitBadOptions);
    }
    const TShellFoldersScope shellFolders;
    RecordMainThread(start.Wizard() ? MessageDialog : NobodyAnswers);
    return ExitWith(Install(start, LoadIconA(instance, MAKEINTRESOURCEA(1))));
}
