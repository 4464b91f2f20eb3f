#include "app/unattended_install.h"

#include "base/product_names.h"
#include "engine/question_numbers.h"
#include "payload/diagnostic_log.h"
#include "system/destination_rules.h"
#include "wizard/common_controls.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>

namespace {
// A file that cannot be written is tried again this often, a second apart,
// before the run gives up as Abort would: long enough for a virus scanner
// or an indexer to let go of it.
constexpr int kRetries = 5;
constexpr DWORD kRetryPauseMs = 1000;
constexpr DWORD kPollMs = 100;

// One line of the diagnostic log for a message of several.
std::string OneLine(std::string text) {
    for (size_t at = 0; (at = text.find('\r', at)) != std::string::npos;)
        text.replace(at, text.compare(at, 2, "\r\r") == 0 ? 2 : 1, " ");
    return text;
}

// The destination as the wizard would take it over from its page: the
// folder given, or the saved or default one, taken over by the run. The
// reason when it cannot be taken, else empty.
std::string TakeDestination(TInstallRun& run, const TCommandLineOptions& options) {
    std::string folder = run.Choices.DestDir;
    if (options.Destination) {
        const std::string refusal = GivenDestinationRefusal(*options.Destination);
        if (!refusal.empty()) return refusal;
        folder = *options.Destination;
        run.Choices.DestinationHow = "given with " + options.DestinationSwitch;
    }
    return run.TakeDestination(folder, 0).Refusal;
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

// Lets the window, if any, be drawn for `ms`, or until the copy ends.
void WaitDrawing(const TInstallRun& run, TProgressWindow* window, DWORD ms) {
    const DWORD start = GetTickCount();
    HANDLE thread = run.CopyHandle();
    for (DWORD waited = 0; waited < ms; waited = GetTickCount() - start) {
        const DWORD woken =
            MsgWaitForMultipleObjects(thread ? 1 : 0, &thread, FALSE, ms - waited, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (window) window->Show(run.Progress());
        if (woken != WAIT_OBJECT_0 + (thread ? 1 : 0)) return; // the copy ended, or time is up
    }
}

// Runs the copy to its end, answering its questions; the window, if any,
// shows the progress meanwhile. True when every copy was written or
// skipped, false after an Abort.
bool CopyFiles(TInstallRun& run, TProgressWindow* window) {
    TUnattendedAnswers answers;
    // A question is answered after the pause, while the window goes on
    // being drawn.
    const TRunAsk ask = [&](const std::string& text, uint8_t, uint16_t) {
        WaitDrawing(run, window, kRetryPauseMs);
        return answers.Answer(text);
    };
    for (;;) {
        switch (run.Poll(ask)) {
        case TInstallRun::TCopy::Done:
            return true;
        case TInstallRun::TCopy::Failed:
            run.WaitForCopy();
            return false;
        case TInstallRun::TCopy::Running:
            WaitDrawing(run, window, kPollMs);
            break;
        }
    }
}
} // namespace

int RunUnattended(TInstallRun& run, const TCommandLineOptions& options) {
    TInstallChoices& chosen = run.Choices;
    if (options.Components)
        for (int component = 0; component < ComponentCount; ++component)
            chosen.Components.Set(component, options.Components->Has(component));
    chosen.Components.Add(kProgram);
    if (options.DocumentTypes) chosen.DocumentTypes = *options.DocumentTypes;
    if (options.CurrentUserOnly) chosen.InstallToAll = false;
    if (options.NoDesktopShortcut) chosen.Desktop = false;

    // The checks, in the order of an installation: the first obstacle
    // decides the exit code, for a dry run as for a real one.
    const std::string refusal = TakeDestination(run, options);
    if (!refusal.empty()) {
        Diagnose("The destination cannot be used: " + OneLine(refusal));
        return kExitBadOptions;
    }
    if (run.WordProcessorRuns()) {
        Diagnose("The word processor is running: nothing is installed");
        return kExitProductRuns;
    }
    const std::string shortfall = run.SpaceShortfall();
    if (!shortfall.empty()) {
        Diagnose(shortfall);
        return kExitFailed;
    }
    if (options.Mode == TRunMode::Check) {
        Diagnose("Check: the installation into " + chosen.DestDir + " would go ahead");
        return kExitSuccess;
    }

    if (!run.Start().empty()) return kExitFailed; // the log says why
    bool installed;
    {
        std::unique_ptr<TProgressWindow> window;
        if (options.Mode == TRunMode::Passive)
            window = std::make_unique<TProgressWindow>(run.TotalSize());
        installed = CopyFiles(run, window.get());
    }
    if (installed) {
        run.FinishStep();
        run.LaunchStep(false);
    }
    return installed ? kExitSuccess : kExitFailed;
}
