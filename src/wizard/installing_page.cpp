#include "wizard/installing_page.h"

#include "payload/components.h"
#include "wizard/label_text.h"

#include <commctrl.h>

#include <string>

std::string TInstallingPage::Start() {
    const std::string failure = Run_.Start();
    HWND bar = Item(TCtl::InstallingProgressBar);
    SendMessageA(bar, PBM_SETRANGE32, 0, Run_.TotalSize());
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    return failure;
}

TInstallRun::TCopy TInstallingPage::Poll(const TPageAsk& ask) {
    const TInstallRun::TCopy copy = Run_.Poll(ask);
    const uint8_t component = Run_.Component();
    if (copy == TInstallRun::TCopy::Running && component != kNoComponent) {
        SendMessageA(Item(TCtl::InstallingProgressBar), PBM_SETPOS, WPARAM(Run_.Progress()), 0);
        const std::string text =
            LabelText(component < ComponentCount ? ComponentNames[component] : "");
        HWND label = Item(TCtl::InstallingLbl2);
        if (WindowText(label) != text) SetControlText(label, TCtl::InstallingLbl2, text);
    }
    return copy;
}
