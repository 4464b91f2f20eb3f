#include "system/launch_as_user.h"

#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <vector>

namespace {
// Releases a COM interface when it goes.
template <class T> class TComPtr {
  public:
    TComPtr() = default;
    ~TComPtr() {
        if (Ptr_) Ptr_->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    T* operator->() const { return Ptr_; }
    T* Get() const { return Ptr_; }
    T** Out() { return &Ptr_; }
    void** Void() { return reinterpret_cast<void**>(&Ptr_); }

  private:
    T* Ptr_ = nullptr;
};

// A VARIANT holding a string (or nothing), freed when it goes.
class TVariant {
  public:
    explicit TVariant(const std::string& text = std::string()) {
        ZeroMemory(&Value, sizeof Value);
        if (text.empty()) return;
        const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        if (n <= 0) return;
        std::vector<wchar_t> wide(size_t(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
        Value.vt = VT_BSTR;
        Value.bstrVal = SysAllocString(wide.data());
    }
    ~TVariant() {
        if (Value.vt == VT_BSTR) SysFreeString(Value.bstrVal);
    }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    VARIANT Value;
};

// TOKEN_ELEVATION_TYPE and its class, which the headers for Windows 2000
// do not have.
constexpr int kTokenElevationType = 18;
constexpr DWORD kTokenElevationTypeFull = 2;

// The desktop window's view, as a dispatch object of the shell.
bool DesktopShell(TComPtr<IShellDispatch2>& shell) {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.Void())))
        return false;
    VARIANT desktop, none;
    ZeroMemory(&desktop, sizeof desktop);
    ZeroMemory(&none, sizeof none);
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long window = 0;
    TComPtr<IDispatch> found;
    if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              found.Out()) != S_OK ||
        !found.Get())
        return false;
    TComPtr<IServiceProvider> services;
    TComPtr<IShellBrowser> browser;
    TComPtr<IShellView> view;
    TComPtr<IDispatch> background;
    TComPtr<IShellFolderViewDual> folderView;
    TComPtr<IDispatch> application;
    return SUCCEEDED(found->QueryInterface(IID_IServiceProvider, services.Void())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                            browser.Void())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.Out())) && view.Get() &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.Void())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.Void())) &&
           SUCCEEDED(folderView->get_Application(application.Out())) && application.Get() &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.Void())) && shell.Get();
}
} // namespace

bool RunsElevated() {
    // Looked up: Windows 95 has no tokens.
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    using TOpenProcessToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    using TGetTokenInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD, PDWORD);
    const auto openToken = advapi ? reinterpret_cast<TOpenProcessToken>(reinterpret_cast<void*>(
                                        GetProcAddress(advapi, "OpenProcessToken")))
                                  : nullptr;
    const auto tokenInformation = advapi ? reinterpret_cast<TGetTokenInformation>(
                                               reinterpret_cast<void*>(
                                                   GetProcAddress(advapi, "GetTokenInformation")))
                                         : nullptr;
    HANDLE token = nullptr;
    if (!openToken || !tokenInformation || !openToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD type = 0, size = 0;
    // Systems before Vista do not know the class and say so.
    const bool asked = tokenInformation(token, kTokenElevationType, &type, sizeof type, &size) != FALSE;
    CloseHandle(token);
    return asked && type == kTokenElevationTypeFull;
}

bool StartThroughDesktopShell(const std::string& program, const std::string& folder) {
    TComPtr<IShellDispatch2> shell;
    if (!DesktopShell(shell)) return false;
    const int n = MultiByteToWideChar(CP_ACP, 0, program.c_str(), -1, nullptr, 0);
    if (n <= 0) return false;
    std::vector<wchar_t> wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, program.c_str(), -1, wide.data(), n);
    BSTR file = SysAllocString(wide.data());
    if (!file) return false;
    TVariant arguments, directory(folder), verb, show;
    show.Value.vt = VT_I4;
    show.Value.lVal = SW_SHOWNORMAL;
    const HRESULT started =
        shell->ShellExecute(file, arguments.Value, directory.Value, verb.Value, show.Value);
    SysFreeString(file);
    return SUCCEEDED(started);
}
