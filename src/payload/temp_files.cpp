#include "payload/temp_files.h"

#include "base/folder_items.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/product_names.h"
#include "base/scoped_win.h"
#include "base/shell_folders.h"
#include "base/utf8_text.h"
#include "payload/unique_file.h"

#include <windows.h>

#include <shlobj.h>

std::string TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::string folder = n > 0 && n <= MAX_PATH ? Utf8Text(buffer, n) : std::string();
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
    CreateUniqueFile(TempFolder(), TempPrefix(), ".tmp", name); // closed at once, the name kept
    return name;
}

std::string WritePrefix() {
    return TempPrefix() + "-";
}

void RemoveLeftoverWrites(const std::string& folder, TLinkTest isLink) {
    if (folder.empty()) return;
    const std::string prefix = WritePrefix();
    const TOpenItem held = OpenItem(folder, kEnterAccess, isLink);
    std::vector<TListedItem> listed;
    ListOpenFolder(held, listed, prefix + "*.tmp");
    for (const TListedItem& entry : listed) {
        // Only names of exactly our form: the prefix, digits, ".tmp".
        const std::string& name = entry.Name;
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (number.find_first_not_of("0123456789") != std::string::npos) continue;
        // A folder goes only when empty: the system refuses any other.
        const TOpenItem item = OpenItemIn(held, entry, DELETE, isLink);
        if (!item.Link) DeleteOpenItem(item);
    }
}

void CleanTempFiles(TLinkTest isLink) {
    const std::string folder = TempFolder();
    // Without a temporary folder the listing would be of the current folder.
    if (folder.empty()) return;
    const std::string prefix = TempPrefix();
    const TOpenItem held = OpenItem(folder, kEnterAccess, isLink);
    std::vector<TListedItem> listed;
    ListOpenFolder(held, listed, prefix + "*");
    for (const TListedItem& entry : listed) {
        if (entry.Name.compare(0, prefix.size(), prefix) != 0) continue;
        DeleteItemTree(OpenItemIn(held, entry, DELETE, isLink), isLink);
    }
}
