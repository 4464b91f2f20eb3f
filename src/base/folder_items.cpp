#include "base/folder_items.h"

#include "base/scoped_win.h"
#include "base/utf8_text.h"

#include <windows.h>

static_assert(FILE_ATTRIBUTE_DIRECTORY == 0x10 && FILE_ATTRIBUTE_REPARSE_POINT == 0x400,
              "the attribute bits that TFolderItem tests");

namespace {
// Opening below an open folder reaches deeper than any path the path
// functions take; a tree deeper than this is someone's trap for the stack.
constexpr int kDeepestFolder = 256;

bool Walk(const TOpenItem& folder, uint32_t access, const TWalkVisit& visit, TLinkTest isLink,
          int depth) {
    bool complete = true;
    std::vector<TListedItem> listed;
    if (folder.IsFolder()) {
        if (depth >= kDeepestFolder || !ListOpenFolder(folder, listed)) complete = false;
    }
    for (const TListedItem& entry : listed) {
        TOpenItem item = OpenItemIn(folder, entry, access, isLink);
        if (!item.Handle) {
            complete = false;
            // What lies in a folder that refuses `access` may still allow it.
            if (!(entry.Attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            item = OpenItemIn(folder, entry, 0, isLink);
            if (!item.Handle) continue;
        }
        // The item's handle closes on leaving this turn, before its folder's
        // visit: a deletion marked by the visit has then happened.
        if (!Walk(item, access, visit, isLink, depth + 1)) complete = false;
    }
    visit(folder);
    return complete;
}
} // namespace

bool ForEachInFolder(const std::string& pattern,
                     const std::function<void(const TFolderItem&)>& visit) {
    WIN32_FIND_DATAW found;
    TFindHandle find(FindFirstFileW(WideText(pattern).c_str(), &found));
    if (!find) return false;
    do {
        const std::string name = Utf8Text(found.cFileName, wcslen(found.cFileName));
        if (name == "." || name == "..") continue;
        visit(TFolderItem{name, found.dwFileAttributes, found.nFileSizeLow});
    } while (FindNextFileW(find.Get(), &found));
    return true;
}

bool WalkFolderTree(const TOpenItem& folder, uint32_t access, const TWalkVisit& visit,
                    TLinkTest isLink) {
    return Walk(folder, access, visit, isLink, 0);
}

bool WalkFolderTree(const std::string& folder, uint32_t access, const TWalkVisit& visit,
                    TLinkTest isLink) {
    const TOpenItem item = OpenItem(folder, access | kEnterAccess, isLink);
    return item.Handle && Walk(item, access, visit, isLink, 0);
}

void DeleteItemTree(const TOpenItem& item, TLinkTest isLink) {
    WalkFolderTree(
        item, DELETE, [](const TOpenItem& found) { DeleteOpenItem(found); }, isLink);
}

void DeleteFolderTree(const std::string& folder, TLinkTest isLink) {
    // An empty name would stand for the root of the current drive.
    if (folder.empty()) return;
    TOpenItem item = OpenItem(folder, DELETE | kEnterAccess, isLink);
    // A folder that may not be deleted may still hold items that may.
    if (!item.Handle) item = OpenItem(folder, kEnterAccess, isLink);
    if (item.IsFolder() || item.Link) DeleteItemTree(item, isLink);
}
