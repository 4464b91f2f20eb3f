#include "app/unattended_install.h"

#include "app/command_line.h"
#include "base/paths.h"
#include "base/product_names.h"
#include "base/shell_folders.h"
#include "engine/install_status.h"
#include "engine/install_thread.h"
#include "payload/catalogue.h"
#include "payload/components.h"
#include "payload/diagnostic_log.h"
#include "payload/disk_space.h"
#include "payload/install_log.h"
#include "system/associations.h"
#include "system/data_folders.h"
#include "system/finish_step.h"
#include "system/install_plan.h"
#include "system/registry.h"
#include "system/running_instance.h"
#include "system/settings.h"
#include "system/uninstall_entry.h"
#include "system/write_access.h"
#include "wizard/common_controls.h"
#include "wizard/destination_path.h"
#include "wizard/message_dialog.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <memory>

namespace {
// A file that cannot be written is tried again this often, a second apart,
// before the run gives up as Abort would: long enough for a virus scanner
// or an indexer to let go of it.
constexpr int kRetries = 5;
constexpr DWORD kRetryPauseMs = 1000;
constexpr DWORD kPollMs = 100;

// The destination as the wizard would take it over from its page, and
// where it came from.
std::string Destination(const TSavedSettings& saved, std::string& how) {
    std::string folder = OfferedDestination(saved.MainDir);
    how = folder == saved.MainDir ? "saved by an earlier run" : "the default";
    std::string given;
    if (DestinationArgument(FirstArgument(GetCommandLineA()), given)) {
        folder = given;
        how = "given with -d";
    }
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    char drive = programFiles.empty() ? 'c' : programFiles[0];
    if (folder.size() >= 2 && folder[1] == ':') drive = folder[0];
    return NormalizedDestination(folder, drive, programFiles);
}

// The answer to the copy question that the install thread puts: Retry a few
// times for the same file, then Abort.
class TUnattendedAnswers {
  public:
    int Answer(const std::string& question) {
        if (question != Last_) {
            Last_ = question;
            Count_ = 0;
        }
        return ++Count_ > kRetries ? mrAbort : mrRetry;
    }

  private:
    std::string Last_;
    int Count_ = 0;
};

LRESULT CALLBACK ProgressProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) return 0; // nobody is asked: the run goes on to its end
    return DefWindowProcA(window, msg, wp, lp);
}

// The passive mode's window: the title, one line and a progress bar.
class TProgressWindow {
  public:
    explicit TProgressWindow(int32_t total) {
        RegisterProgressBarClass();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ProgressProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = "QuorvaleSetupProgress";
        RegisterClassA(&windowClass);
        const DWORD style = WS_POPUP | WS_CAPTION;
        RECT r{0, 0, 360, 80};
        AdjustWindowRectEx(&r, style, FALSE, 0);
        const int w = r.right - r.left, h = r.bottom - r.top;
        Window_ = CreateWindowExA(WS_EX_APPWINDOW, windowClass.lpszClassName, kApplicationTitle,
                                  style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (!Window_) return;
        const std::string text = std::string("Installing ") + kProductName + "...";
        CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 16, 14, 328, 16, Window_,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
        Bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 16, 40, 328, 18,
                               Window_, nullptr, GetModuleHandleA(nullptr), nullptr);
        SendMessageA(Bar_, PBM_SETRANGE32, 0, total);
        HFONT font = HFONT(GetStockObject(DEFAULT_GUI_FONT));
        for (HWND child = GetWindow(Window_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT))
            SendMessageA(child, WM_SETFONT, WPARAM(font), FALSE);
        // Shown once whole, so that nobody sees it half built.
        ShowWindow(Window_, SW_SHOW);
        UpdateWindow(Window_);
    }
    ~TProgressWindow() {
        if (Window_) DestroyWindow(Window_);
    }
    TProgressWindow(const TProgressWindow&) = delete;
    TProgressWindow& operator=(const TProgressWindow&) = delete;

    void Show(int32_t done) {
        if (Bar_) SendMessageA(Bar_, PBM_SETPOS, WPARAM(done), 0);
    }

  private:
    HWND Window_ = nullptr;
    HWND Bar_ = nullptr;
};

// Runs the install thread to its end, answering its questions; the window,
// if any, shows the progress meanwhile. True when every copy was written
// or skipped, false after an Abort.
bool CopyFiles(TProgressWindow* window) {
    TInstallThread thread(*Catalogue);
    SetInstallState(StatusRunning);
    thread.Start();
    TUnattendedAnswers answers;
    // A question taken is answered after the pause, while the window, if
    // any, goes on being drawn.
    bool holding = false;
    DWORD heldSince = 0;
    HANDLE handle = thread.Handle();
    while (handle) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &handle, FALSE, kPollMs, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (window) window->Show(InstallStatus.Progress.load());
        if (!holding && ChangeInstallState(StatusQuestion, StatusPaused)) {
            holding = true;
            heldSince = GetTickCount();
        }
        if (holding && GetTickCount() - heldSince >= kRetryPauseMs) {
            holding = false;
            InstallStatus.Answer = answers.Answer(InstallStatus.Message);
            SetInstallState(StatusAnswered);
        }
        if (woken == WAIT_OBJECT_0) break;
    }
    thread.WaitFor();
    const bool done = InstallState() != StatusFailed;
    SetInstallState(StatusIdle);
    return done;
}
} // namespace

int RunUnattended(const TUnattendedOptions& options) {
    if (IsWordProcessorRunning()) {
        Diagnose("The word processor is running: nothing is installed");
        return kExitProductRuns;
    }

    const TSavedSettings saved = LoadSettings();
    TOptions chosen;
    std::string how;
    chosen.DestDir = Destination(saved, how);
    chosen.Components = options.Components ? *options.Components : saved.Components;
    chosen.Extensions = options.Extensions ? *options.Extensions : saved.Extensions;
    const bool installToAll = saved.InstallToAll && !options.CurrentUserOnly;
    const bool desktop = saved.DesktopShortcut && !options.NoDesktopShortcut;
    const bool portable = IsPortable(chosen.DestDir);

    uint8_t selected = 1; // the first component is always installed
    int64_t required = 0;
    for (int component = 0; component < ComponentCount; ++component) {
        if (component > 0 && !((chosen.Components >> component) & 1)) continue;
        selected |= uint8_t(1u << component);
        required += FileListSize(Catalogue->Files(), ComponentFileLists[component], chosen.DestDir);
    }
    // The wizard lets nobody past its components page without the space.
    const int64_t available = FreeSpace(DrivePart(chosen.DestDir));
    if (available == kUnknownFreeSpace || available < required) {
        Diagnose(
            "Not enough space on the destination's drive: " + std::to_string(required) +
            " bytes needed, " +
            (available == kUnknownFreeSpace ? std::string("unknown") : std::to_string(available)) +
            " available");
        return kExitFailed;
    }
    // As on the wizard's destination page: found out now, not at the first file.
    if (FolderWriteAccess(chosen.DestDir) == TWriteAccess::Denied) {
        Diagnose("No permission to create or change files in the destination folder: " +
                 chosen.DestDir);
        return kExitFailed;
    }

    StartInstallLog(portable ? std::string() : JoinPath(chosen.DestDir, "Install.log"));
    const double stamp =
        BuildInstallPlan(*Catalogue, {chosen.DestDir, selected, saved.LastRunVersion, portable});
    DiagnoseInstallation(chosen.DestDir, how, portable, selected, *Catalogue);

    bool installed;
    {
        std::unique_ptr<TProgressWindow> window;
        if (options.Mode == TRunMode::Passive)
            window = std::make_unique<TProgressWindow>(Catalogue->TotalInstallSize());
        installed = CopyFiles(window.get());
    }

    if (installed) {
        TFinishChoices finish;
        finish.DestDir = chosen.DestDir;
        finish.Portable = portable;
        for (int box = 0; box < kDocumentTypes; ++box)
            finish.DocumentTypes[box] = DocumentTypeChosen(chosen.Extensions, box);
        finish.InstallToAll = installToAll;
        finish.Desktop = desktop;
        const std::string extensions = RunFinishStep(finish);
        if (!portable) chosen.Extensions = extensions;
        std::string error;
        if (!RunLaunchStep(chosen.DestDir, portable, false, stamp, Catalogue->PublicFiles, error))
            installed = false;
    }

    // As after the wizard: an installation that was started leaves its trace.
    // The wizard's first row is fixed rather than ticked, and so its bit is
    // saved clear; the same here, so that both runs leave the same settings.
    bool checked[6] = {};
    for (int component = 1; component < ComponentCount; ++component)
        checked[component] = (selected >> component) & 1;
    chosen.Components = ComponentsToSave(chosen.Components, checked);
    TRegistry registry;
    SaveSettings(registry, chosen, installToAll, desktop, saved.Launch);
    if (!portable) {
        WriteUninstallEntry(registry, chosen.DestDir);
        SaveInstallLog();
    }
    return installed ? kExitSuccess : kExitFailed;
}
