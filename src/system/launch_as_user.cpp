#include "system/launch_as_user.h"

#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "system/user_rights.h"
#include "system/com_ptr.h"

#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <iterator>
#include <vector>

namespace {
// The string functions of OLE Automation, from the system folder only: a
// DLL the program imports is loaded before it can say from where, and one
// of that name may lie beside a downloaded setup program.
struct TAutomationStrings {
    using TAlloc = BSTR(WINAPI*)(const OLECHAR*);
    using TFree = void(WINAPI*)(BSTR);
    TAlloc Alloc = nullptr;
    TFree Free = nullptr;
    TAutomationStrings() {
        // Kept loaded for the rest of the run.
        HMODULE module = LoadSystemLibrary("oleaut32.dll").Release();
        Alloc = FunctionIn<TAlloc>(module, "SysAllocString");
        Free = FunctionIn<TFree>(module, "SysFreeString");
    }
    bool Ready() const { return Alloc && Free; }
};

// A VARIANT holding a string (or nothing), freed when it goes.
class TVariant {
  public:
    TVariant(const TAutomationStrings& strings, const std::string& text) : Strings_(strings) {
        ZeroMemory(&Value, sizeof Value);
        if (text.empty()) return;
        Value.bstrVal = Strings_.Alloc(WideText(text).c_str());
        if (Value.bstrVal) Value.vt = VT_BSTR;
    }
    ~TVariant() {
        if (Value.vt == VT_BSTR) Strings_.Free(Value.bstrVal);
    }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    VARIANT Value;

  private:
    const TAutomationStrings& Strings_;
};

// TOKEN_ELEVATION_TYPE and its class, which the headers for Windows 2000
// do not have.
constexpr int kTokenElevationType = 18;
constexpr DWORD kTokenElevationTypeFull = 2;

// The desktop window's view, as a dispatch object of the shell.
bool DesktopShell(TComPtr<IShellDispatch2>& shell) {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                VoidOut(windows))))
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
    return SUCCEEDED(found->QueryInterface(IID_IServiceProvider, VoidOut(services))) &&
           SUCCEEDED(
               services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, VoidOut(browser))) &&
           SUCCEEDED(browser->QueryActiveShellView(view.Out())) && view.Get() &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, VoidOut(background))) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, VoidOut(folderView))) &&
           SUCCEEDED(folderView->get_Application(application.Out())) && application.Get() &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, VoidOut(shell))) &&
           shell.Get();
}
} // namespace

bool RunsElevated() {
    // Looked up: Windows 95 has no tokens.
    using TOpenProcessToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    using TGetTokenInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD, PDWORD);
    const auto openToken = LoadedFunction<TOpenProcessToken>("advapi32.dll", "OpenProcessToken");
    const auto tokenInformation =
        LoadedFunction<TGetTokenInformation>("advapi32.dll", "GetTokenInformation");
    TKernelHandle token;
    if (!openToken || !tokenInformation ||
        !openToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return false;
    DWORD type = 0, size = 0;
    // Systems before Vista do not know the class and say so.
    const bool asked =
        tokenInformation(token.Get(), kTokenElevationType, &type, sizeof type, &size) != FALSE;
    return asked && type == kTokenElevationTypeFull;
}

TKernelHandle DesktopOwner() {
    using TGetShellWindow = HWND(WINAPI*)();
    // Windows 2000 on: NT 4 has no shell window to ask.
    const auto shellWindow = LoadedFunction<TGetShellWindow>("user32.dll", "GetShellWindow");
    HWND desktop = shellWindow ? shellWindow() : nullptr;
    if (!desktop) desktop = GetDesktopWindow();
    DWORD process = 0;
    if (!GetWindowThreadProcessId(desktop, &process) || !process) return TKernelHandle();
    TKernelHandle owner(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process));
    // S-1-5-18, LocalSystem.
    static constexpr unsigned char kSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    const std::vector<unsigned char> user =
        owner ? ProcessUserSid(owner.Get()) : std::vector<unsigned char>();
    if (user.empty() || user == std::vector<unsigned char>(std::begin(kSystem), std::end(kSystem)))
        return TKernelHandle();
    return owner;
}

bool RunsAsUserOf(const TKernelHandle& owner) {
    return owner && ProcessUserSid(owner.Get()) == ProcessUserSid(GetCurrentProcess());
}

bool StartAsDesktopOwner(const TKernelHandle& owner, const std::string& program,
                         const std::string& command, const std::string& folder) {
    using TDuplicate = BOOL(WINAPI*)(HANDLE, DWORD, LPSECURITY_ATTRIBUTES,
                                     SECURITY_IMPERSONATION_LEVEL, TOKEN_TYPE, PHANDLE);
    using TCreate = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                  LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    using TOpenToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    const auto openToken = LoadedFunction<TOpenToken>("advapi32.dll", "OpenProcessToken");
    const auto duplicate = LoadedFunction<TDuplicate>("advapi32.dll", "DuplicateTokenEx");
    // Windows Vista on, where the question of a second token arises.
    const auto create = LoadedFunction<TCreate>("advapi32.dll", "CreateProcessWithTokenW");
    TKernelHandle token, primary;
    if (!owner || !openToken || !duplicate || !create ||
        !openToken(owner.Get(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY,
                   token.Out()) ||
        !duplicate(token.Get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                   primary.Out()))
        return false;
    TWideText line = WideText(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // A program that does not start (a damaged file, say) is a side step
    // that failed, as any other: the user's rights were never at stake.
    if (create(primary.Get(), 0, WideText(program).c_str(), &line[0], 0, nullptr,
               WideText(folder).c_str(), &startup, &started)) {
        const TKernelHandle process(started.hProcess), thread(started.hThread);
    }
    return true;
}

bool StartThroughDesktopShell(const std::string& program, const std::string& folder) {
    const TAutomationStrings strings;
    if (!strings.Ready()) return false;
    TComPtr<IShellDispatch2> shell;
    if (!DesktopShell(shell)) return false;
    TVariant file(strings, program), arguments(strings, ""), directory(strings, folder),
        verb(strings, ""), show(strings, "");
    if (file.Value.vt != VT_BSTR) return false;
    show.Value.vt = VT_I4;
    show.Value.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(file.Value.bstrVal, arguments.Value, directory.Value,
                                         verb.Value, show.Value));
}
