// The wizard dialog, the program's only window.
#pragma once

#include <windows.h>

class TMainDlgForm {
public:
    explicit TMainDlgForm(HICON icon);
    ~TMainDlgForm();
    TMainDlgForm(const TMainDlgForm&) = delete;
    TMainDlgForm& operator=(const TMainDlgForm&) = delete;

    // Runs the dialog modally; returns IDOK or IDCANCEL.
    INT_PTR ShowModal();

private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnInitDialog();

    HWND Handle_ = nullptr;
    HICON Icon_;
};
