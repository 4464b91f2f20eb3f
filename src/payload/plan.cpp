// The installation plan of the catalogue: which entry is written to which
// target, for which component, and whether it is logged.
#include "base/code_page.h"
#include "base/locale_text.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "payload/catalogue.h"

#include "payload/components.h"
#include "payload/entry_names.h"
#include "payload/file_time.h"
#include "payload/install_log.h"

#include <shlobj.h>

namespace {
// The shared data folder of every user as planned copies name it; empty
// when the common application-data folder is unknown, so that no target
// can match.
std::string SharedPrefix() {
    const std::string common = SpecialFolder(CSIDL_COMMON_APPDATA);
    return common.empty() ? std::string() : JoinPath(common, "Quorvale\\Public\\");
}
} // namespace

bool TAttachedFiles::PlanFiles(const std::string& pattern, const std::string& folder, int component,
                               int mode) {
    return Plan(pattern, folder, false, component, mode);
}

bool TAttachedFiles::PlanFileTo(const std::string& pattern, const std::string& target,
                                int component, int mode) {
    return Plan(pattern, target, true, component, mode);
}

bool TAttachedFiles::Plan(const std::string& pattern, const std::string& place, bool exactTarget,
                          int component, int mode) {
    if (component < 0 || component >= ComponentCount) return false;
    const int effective = mode == KeepUsersFile ? KeepExisting
                          : ForceReplace        ? AlwaysReplace
                                                : mode;
    const bool keepMark = mode == KeepExisting || mode == KeepUsersFile;
    const bool folderPattern = IsFolderPattern(pattern);
    bool sharedKnown = false;
    std::string shared;
    bool any = false;
    for (const TAttachedFile& entry : Files_) {
        if (!PatternMatches(pattern, entry.Name)) continue;
        // A name that could lead outside the folder, or to a device, is
        // never planned, whatever tool built the payload.
        if (!payload::IsSafeEntryName(entry.Name)) continue;
        const std::string target = exactTarget ? place : JoinPath(place, Utf8FromAnsi(entry.Name));
        bool planned = true;
        if (effective != AlwaysReplace && FileExists(target)) {
            planned = effective != KeepExisting && FileDate(target) != entry.Date;
        }
        if (!sharedKnown) {
            shared = PublicFolder.empty() ? SharedPrefix() : PublicFolder;
            sharedKnown = true;
        }
        const bool isShared = !shared.empty() && target.size() >= shared.size() &&
                              SameName(target.substr(0, shared.size()), shared);
        if (planned) InstallLists[component].push_back({&entry, target, LogSuppression == 0});
        // The requested mode decides the mark, not ForceReplace.
        if ((planned || mode == KeepUsersFile) && isShared)
            PublicFiles.push_back(keepMark ? target + "\t!" : target);
        if (!folderPattern) return planned; // the first entry of that name wins
        any = any || planned;
    }
    return any;
}

void TAttachedFiles::ClearInstallList(int component) {
    if (component >= 0 && component < ComponentCount) InstallLists[component].clear();
}

int32_t TAttachedFiles::TotalInstallSize() const {
    uint32_t total = 0; // 32-bit arithmetic as in the progress, without overflow traps
    for (const auto& list : InstallLists)
        for (const TFileToInstall& copy : list)
            total += uint32_t(copy.Source->Size);
    return int32_t(total);
}
