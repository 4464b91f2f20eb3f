#include "payload/temp_files.h"

#include "base/folder_items.h"
#include "base/paths.h"
#include "base/product_names.h"
#include "base/shell_folders.h"
#include "payload/folders.h"
#include "payload/unique_file.h"

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
    std::string name;
    HANDLE file = CreateUniqueFile(TempFolder(), TempPrefix(), ".tmp", name);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return name;
}

std::string WritePrefix() {
    return TempPrefix() + "-";
}

void RemoveLeftoverWrites(const std::string& folder) {
    if (folder.empty()) return;
    const std::string prefix = WritePrefix();
    ForEachInFolder(folder + prefix + "*.tmp", [&](const TFolderItem& item) {
        // Only names of exactly our form: the prefix, digits, ".tmp".
        const std::string& name = item.Name;
        if (item.IsFolder() || item.IsLink()) return;
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            return;
        const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (number.find_first_not_of("0123456789") != std::string::npos) return;
        DeleteFileA((folder + name).c_str());
    });
}

void CleanTempFiles() {
    const std::string folder = TempFolder();
    // Without a temporary folder the listing would be of the current folder.
    if (folder.empty()) return;
    const std::string prefix = TempPrefix();
    ForEachInFolder(folder + "*.*", [&](const TFolderItem& item) {
        if (item.Name.compare(0, prefix.size(), prefix) != 0) return;
        if (item.IsFolder())
            DeleteFolderTree(folder + item.Name);
        else
            DeleteFileA((folder + item.Name).c_str());
    });
}
