#include "payload/disk_space.h"

#include "base/folder_items.h"
#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "base/wide_paths.h"
#include "payload/components.h"

#include <windows.h>

#include <climits>

namespace {
constexpr int32_t kFallbackClusterSize = 4096;

// Asking an empty floppy or card reader must not pop up the system's
// "insert a disk" dialog: the answer is simply that the volume is not there.
constexpr UINT kQuietDriveErrors = SEM_FAILCRITICALERRORS;

std::string Root(const std::string& path) {
    std::string drive = DrivePart(path);
    return drive.empty() ? drive : drive + "\\";
}

int64_t RoundUp(int64_t n, int64_t cluster) {
    return n % cluster == 0 ? n : (n / cluster + 1) * cluster;
}

// The patterns of a file list, in order; empty lines are no patterns.
std::vector<std::string> SplitPatterns(const std::string& list) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of("\r\n", start);
        if (end == std::string::npos) end = list.size();
        if (end > start) patterns.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}
} // namespace

int32_t ClusterSize(const std::string& path) {
    // Always the root: the folder itself normally does not exist yet.
    const std::string root = Root(path);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    TErrorModeScope quiet(kQuietDriveErrors);
    if (root.empty() || !GetDiskFreeSpaceW(WideText(root).c_str(), &sectorsPerCluster,
                                           &bytesPerSector, &freeClusters, &totalClusters))
        return kFallbackClusterSize;
    const uint64_t size = uint64_t(sectorsPerCluster) * bytesPerSector;
    return size > 0 && size <= 0x40000000u ? int32_t(size) : kFallbackClusterSize;
}

namespace {
int32_t RoundedSize(int32_t n, int32_t cluster) {
    const int64_t rounded = RoundUp(n, cluster);
    return rounded > INT32_MAX ? INT32_MAX : int32_t(rounded);
}
} // namespace

int32_t SizeOnDisk(const std::string& path, int32_t n) {
    return RoundedSize(n, ClusterSize(path));
}

int32_t FileListSize(const std::vector<TAttachedFile>& files, const std::string& fileList,
                     const std::string& destDir) {
    int64_t total = 0;
    // One volume, one cluster size: asked once, not for every file (each
    // question opens the volume).
    const int32_t cluster = ClusterSize(destDir);
    const std::vector<std::string> patterns = SplitPatterns(fileList);
    for (auto pattern = patterns.rbegin(); pattern != patterns.rend(); ++pattern) {
        const bool folder = IsFolderPattern(*pattern);
        for (auto entry = files.rbegin(); entry != files.rend(); ++entry) {
            if (!PatternMatches(*pattern, entry->Name)) continue;
            total += RoundedSize(entry->Size, cluster);
            if (!folder) break;
        }
    }
    return total > INT32_MAX ? INT32_MAX : int32_t(total);
}

int64_t FreeSpace(const std::string& drive) {
    const std::string root = drive.empty() ? drive : drive + "\\";
    if (root.empty()) return kUnknownFreeSpace;
    TErrorModeScope quiet(kQuietDriveErrors);
    // The first Windows 95 lacks the call that sees past 2 GB and the
    // user's quota; it is looked up so that the program still loads there.
    using TGetDiskFreeSpaceExW =
        BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    const auto freeSpaceEx =
        LoadedFunction<TGetDiskFreeSpaceExW>("kernel32.dll", "GetDiskFreeSpaceExW");
    const TWideText wideRoot = WideText(root);
    if (freeSpaceEx) {
        ULARGE_INTEGER available{}, total{}, totalFree{};
        if (!freeSpaceEx(wideRoot.c_str(), &available, &total, &totalFree))
            return kUnknownFreeSpace;
        return available.QuadPart > uint64_t(INT64_MAX) ? INT64_MAX : int64_t(available.QuadPart);
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceW(wideRoot.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return kUnknownFreeSpace;
    return int64_t(sectorsPerCluster) * bytesPerSector * freeClusters;
}

int32_t FolderSizeKB(const std::string& folder, int32_t clusterSize) {
    if (clusterSize <= 0) clusterSize = kFallbackClusterSize;
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    // What lies behind a link is not the installed folder, at the top of the
    // tree as inside it.
    if (IsLink(base)) return 0;
    int64_t total = 0;
    ForEachInFolder(base + "*.*", [&](const TFolderItem& item) {
        const std::string path = base + item.Name;
        if (item.IsFolder()) {
            // A junction may lead back up the tree; what lies behind it is
            // not part of the installed folder.
            if (!item.IsLink()) total += FolderSizeKB(path, clusterSize);
            return;
        }
        DWORD size = item.SizeLow; // the listing's size when the file cannot be opened
        // Opened for its attributes only.
        TFileHandle file =
            CreatePathFile(path, 0, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (file) {
            const DWORD measured = GetFileSize(file.Get(), nullptr);
            if (measured != INVALID_FILE_SIZE) size = measured;
        }
        total += RoundUp(size, clusterSize) / 1024;
    });
    return total > INT32_MAX ? INT32_MAX : int32_t(total);
}
