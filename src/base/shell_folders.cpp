// Shell special folders through SHGetFolderPathW, bound once at start-up.
#include "base/shell_folders.h"

#include "base/run_time_functions.h"
#include "base/utf8_text.h"

#include <windows.h>

#include <ole2.h>

namespace {
using TGetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
TGetFolderPath GetFolderPath = nullptr;
TModuleHandle FolderPathModule;
bool OleStarted = false;
} // namespace

void InitShellFolders() {
    if (!OleStarted) OleStarted = SUCCEEDED(OleInitialize(nullptr));
    if (GetFolderPath) return;
    for (const char* dll : {"shell32.dll", "shfolder.dll"}) {
        TModuleHandle module = LoadSystemLibrary(dll);
        if (auto bound = FunctionIn<TGetFolderPath>(module.Get(), "SHGetFolderPathW")) {
            GetFolderPath = bound;
            FolderPathModule = std::move(module);
            return;
        }
    }
}

void DoneShellFolders() {
    GetFolderPath = nullptr;
    FolderPathModule.Reset();
    if (OleStarted) OleUninitialize();
    OleStarted = false;
}

std::string SpecialFolder(int csidl) {
    if (!GetFolderPath) return std::string();
    wchar_t path[MAX_PATH + 1] = {};
    if (GetFolderPath(nullptr, csidl, nullptr, 0 /* SHGFP_TYPE_CURRENT */, path) != 0)
        return std::string();
    return Utf8Text(path, wcslen(path));
}
