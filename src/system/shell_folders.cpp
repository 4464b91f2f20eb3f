// Shell special folders through SHGetFolderPathA, bound once at start-up.
#include "system/data_folders.h"

#include <windows.h>

#include <ole2.h>

namespace {
using TGetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
TGetFolderPath GetFolderPath = nullptr;
HMODULE FolderPathModule = nullptr;
bool OleStarted = false;

TGetFolderPath Bind(HMODULE module) {
    return module ? reinterpret_cast<TGetFolderPath>(
                        reinterpret_cast<void*>(GetProcAddress(module, "SHGetFolderPathA")))
                  : nullptr;
}
} // namespace

void* LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryA(JoinPath(std::string(folder, n), name).c_str());
}

void InitShellFolders() {
    if (!OleStarted) OleStarted = SUCCEEDED(OleInitialize(nullptr));
    if (GetFolderPath) return;
    for (const char* dll : {"shell32.dll", "shfolder.dll"}) {
        HMODULE module = static_cast<HMODULE>(LoadSystemLibrary(dll));
        if (TGetFolderPath bound = Bind(module)) {
            GetFolderPath = bound;
            FolderPathModule = module;
            return;
        }
        if (module) FreeLibrary(module);
    }
}

void DoneShellFolders() {
    GetFolderPath = nullptr;
    if (FolderPathModule) FreeLibrary(FolderPathModule);
    FolderPathModule = nullptr;
    if (OleStarted) OleUninitialize();
    OleStarted = false;
}

std::string SpecialFolder(int csidl) {
    if (!GetFolderPath) return std::string();
    char path[MAX_PATH + 1] = {};
    if (GetFolderPath(nullptr, csidl, nullptr, 0 /* SHGFP_TYPE_CURRENT */, path) != 0)
        return std::string();
    return path;
}
