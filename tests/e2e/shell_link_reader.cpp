#include "shell_link_reader.h"

#include "e2e.h"

#include <shlobj.h>

namespace e2e {

TShellLink ReadShellLink(const std::string& linkPath) {
    TShellLink read;
    // Balanced with its own CoUninitialize, whether the caller has COM or not.
    const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(Wide(linkPath).c_str(), STGM_READ))) {
                read.Loaded = true;
                wchar_t text[1024] = L"";
                link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
                read.Path = Utf8(text);
                // Wine keeps the path of a loaded link in the code page, a
                // look-alike where it does not fit; the item list names the
                // target as it is, and is what the shell opens.
                PIDLIST_ABSOLUTE items = nullptr;
                if (SUCCEEDED(link->GetIDList(&items)) && items) {
                    if (SHGetPathFromIDListW(items, text)) read.Path = Utf8(text);
                    CoTaskMemFree(items);
                }
                text[0] = 0;
                link->GetWorkingDirectory(text, 1024);
                read.WorkingFolder = Utf8(text);
                text[0] = 0;
                link->GetDescription(text, 1024);
                read.Description = Utf8(text);
                text[0] = 0;
                link->GetArguments(text, 1024);
                read.Arguments = Utf8(text);
            }
            file->Release();
        }
        link->Release();
    }
    if (comStarted) CoUninitialize();
    return read;
}

} // namespace e2e
