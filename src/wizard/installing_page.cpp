#include "wizard/installing_page.h"

#include "base/paths.h"
#include "engine/install_status.h"
#include "engine/install_thread.h"
#include "payload/catalogue.h"
#include "payload/components.h"
#include "payload/diagnostic_log.h"
#include "payload/install_log.h"
#include "system/data_folders.h"
#include "system/install_plan.h"
#include "wizard/label_text.h"

#include <commctrl.h>

#include <string>

TInstallingPage::TInstallingPage() = default;
TInstallingPage::~TInstallingPage() = default;

void TInstallingPage::Start(const TOptions& options, uint8_t components, int32_t lastRunVersion) {
    // Asked once: a drive that changes its kind, or a stick pulled out,
    // later in the run must not turn half of the installation portable.
    Portable_ = IsPortable(options.DestDir);
    // An earlier run's "Install.log" is continued.
    StartInstallLog(Portable_ ? std::string() : JoinPath(options.DestDir, "Install.log"));

    Stamp_ = BuildInstallPlan(*Catalogue, {options.DestDir, components, lastRunVersion, Portable_});
    DiagnoseInstallation(options.DestDir, "chosen in the wizard", Portable_, components,
                         *Catalogue);

    HWND bar = Item(TCtl::InstallingProgressBar);
    SendMessageA(bar, PBM_SETRANGE32, 0, Catalogue->TotalInstallSize());
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SetInstallState(StatusRunning);
    Thread_ = std::make_unique<TInstallThread>(*Catalogue);
    Thread_->Start();
}

TInstallingPage::TProgress TInstallingPage::Poll(const TPageAsk& ask) {
    const uint8_t state = InstallState();
    if (state == StatusRunning && InstallStatus.Component != 255) {
        SendMessageA(Item(TCtl::InstallingProgressBar), PBM_SETPOS,
                     WPARAM(InstallStatus.Progress.load()), 0);
        const uint8_t component = InstallStatus.Component;
        const std::string text = LabelText(component < 6 ? ComponentNames[component] : "");
        HWND label = Item(TCtl::InstallingLbl2);
        if (WindowText(label) != text) SetControlText(label, TCtl::InstallingLbl2, text);
    } else if (InstallState() == StatusQuestion) {
        // The thread waits for the answer; it reads it after StatusAnswered.
        if (!ChangeInstallState(StatusQuestion, StatusPaused)) return TProgress::Running;
        InstallStatus.Answer =
            ask(InstallStatus.Message, InstallStatus.Kind, InstallStatus.Buttons);
        SetInstallState(StatusAnswered);
    } else if (state == StatusDone) {
        SetInstallState(StatusIdle);
        return TProgress::Done;
    } else if (state == StatusFailed) {
        // The thread has asked the user already.
        return TProgress::Failed;
    }
    return TProgress::Running;
}

void TInstallingPage::WaitFor() {
    if (Thread_) Thread_->WaitFor();
}
