// The wizard dialog, the program's only window: eight pages in one dialog,
// moved between only through GoToPage.
#pragma once

#include "base/scoped_win.h"
#include "engine/install_run.h"
#include "wizard/check_box_pages.h"
#include "wizard/components_page.h"
#include "wizard/destination_page.h"
#include "wizard/installing_page.h"
#include "wizard/layout.h"
#include "wizard/welcome_page.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Page numbers.
enum : uint8_t {
    kWelcomePage = 0,
    kLicensePage = 1,
    kDestDirPage = 2,
    kSelCompPage = 3,
    kStartPage = 4,
    kInstallingPage = 5,
    kAssocPage = 6,
    kFinishPage = 7,
    kLeaveFinish = 8, // leaving the Finish page with the Finish button
    kNoPage = 255,
};

class TMainDlgForm {
  public:
    // The wizard drives `run`: its pages show and change the run's choices
    // (a destination given on the command line among them), and the
    // Installing page starts it. `loading` brings the catalogue, which
    // nothing after the Welcome page goes without.
    TMainDlgForm(HICON icon, TInstallRun& run, TCatalogueLoading& loading);
    ~TMainDlgForm();
    TMainDlgForm(const TMainDlgForm&) = delete;
    TMainDlgForm& operator=(const TMainDlgForm&) = delete;

    // Runs the dialog modally; returns IDOK or IDCANCEL.
    INT_PTR ShowModal();

  private:
    using TEntryWork = bool (TMainDlgForm::*)(uint8_t from);

    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Construct();
    HWND Item(TCtl control) const { return Controls_[int(control)]; }
    bool IsChecked(TCtl control) const;

    // Navigation.
    void GoToPage(uint8_t from, uint8_t to);
    TCtl PageSheet(uint8_t page) const;
    void SetButtons(uint8_t page);
    void FocusPage(uint8_t page);
    void BNClick(TCtl sender);
    void CancelBtnClick();
    void OnCommand(int id);
    bool FormCloseQuery();
    void RequestClose(INT_PTR result);
    void EndWizard(INT_PTR result);
    int Ask(const std::string& text, uint8_t kind, uint16_t buttons);
    TPageAsk PageAsk();
    bool WordProcessorStopsUs();
    bool TakeChoices(uint8_t page);

    // Entry work of the pages; false keeps the wizard where it is.
    bool EnterLicense(uint8_t from);
    bool EnterDestDir(uint8_t from);
    bool EnterSelComp(uint8_t from);
    bool EnterStart(uint8_t from);
    bool EnterInstalling(uint8_t from);
    bool EnterAssoc(uint8_t from);
    bool EnterFinish(uint8_t from);
    bool LeaveFinish(uint8_t from);
    void LoadLicense();

    // The installation.
    void StartInstallation();
    void PollWelcomePage();
    void PollInstallThread();

    HWND Handle_ = nullptr;
    HICON Icon_;
    TInstallRun& Run_;
    int Dpi_ = 96;
    HWND Controls_[kControlCount] = {};
    TFontHandle DefaultFont_, TitleFont_, BoldFont_;
    // The logos; their static controls do not own them, so they outlive the window.
    TGdiHandle<HBITMAP> LogoSmall_, Logo_;
    // The pages that own their controls; each writes its part of the run's
    // choices (TakeChoices).
    TWelcomePage WelcomePage_;
    TDestinationPage DestDirPage_{Run_};
    TComponentsPage SelCompPage_{Run_};
    TCheckBoxPages CheckBoxPages_{Run_.Choices};
    TInstallingPage InstallingPage_{Run_};
    uint8_t ActivePage_ = kNoPage;
    int Asking_ = 0;       // a question of the wizard's own is on the screen
    bool Closing_ = false; // the dialog has been told to end

    bool CloseConfirmed = false;
};
