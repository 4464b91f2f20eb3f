#include "shell_link_reader.h"

#include <windows.h>

#include <shlobj.h>

namespace e2e {

TShellLink ReadShellLink(const std::string& linkPath) {
    TShellLink read;
    // Balanced with its own CoUninitialize, whether the caller has COM or not.
    const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                read.Loaded = true;
                char text[1024] = "";
                link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
                read.Path = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, sizeof text);
                read.WorkingFolder = text;
                text[0] = 0;
                link->GetDescription(text, sizeof text);
                read.Description = text;
                text[0] = 0;
                link->GetArguments(text, sizeof text);
                read.Arguments = text;
            }
            file->Release();
        }
        link->Release();
    }
    if (comStarted) CoUninitialize();
    return read;
}

} // namespace e2e
