#include "payload/temp_files.h"

#include "app/app_info.h"
#include "payload/folders.h"
#include "system/data_folders.h"

#include <windows.h>

#include <shlobj.h>

std::string TempFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    std::string folder = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
    if (folder.empty() || !FolderExists(folder)) folder = SpecialFolder(CSIDL_PERSONAL);
    return JoinPath(folder, "");
}

std::string TempPrefix() {
    std::string prefix = "~";
    for (const char* p = kApplicationTitle; *p; ++p)
        if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) prefix += *p;
    return prefix;
}

std::string TempFileName() {
    const std::string base = TempFolder() + TempPrefix();
    for (unsigned n = 0;; ++n) {
        std::string name = base + std::to_string(n) + ".tmp";
        // Any item of that name, file or folder, makes the name unusable.
        if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) return name;
    }
}

void CleanTempFiles() {
    const std::string folder = TempFolder();
    // Without a temporary folder the listing would be of the current folder.
    if (folder.empty()) return;
    const std::string prefix = TempPrefix();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            DeleteFolderTree(folder + name);
        else
            DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
}
