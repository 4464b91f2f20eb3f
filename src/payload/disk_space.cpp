#include "payload/disk_space.h"

#include <windows.h>

namespace {
constexpr int32_t kFallbackClusterSize = 4096;

// Asking an empty floppy or card reader must not pop up the system's
// "insert a disk" dialog: the answer is simply that the volume is not there.
class QuietDriveErrors {
public:
    QuietDriveErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~QuietDriveErrors() { SetErrorMode(old_); }

private:
    UINT old_;
};

std::string Root(const std::string& path) {
    std::string drive = DrivePart(path);
    return drive.empty() ? drive : drive + "\\";
}
} // namespace

std::string DrivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return path.substr(0, 2);
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: up to the backslash after the share name.
        size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return std::string();
        size_t share = path.find('\\', server + 1);
        if (share == server + 1) return std::string();
        return path.substr(0, share);
    }
    return std::string();
}

int32_t ClusterSize(const std::string& path) {
    std::string root = Root(path);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    QuietDriveErrors quiet;
    if (root.empty() || !GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector,
                                           &freeClusters, &totalClusters))
        return kFallbackClusterSize;
    const uint64_t size = uint64_t(sectorsPerCluster) * bytesPerSector;
    return size > 0 && size <= 0x40000000u ? int32_t(size) : kFallbackClusterSize;
}

int32_t SizeOnDisk(const std::string& path, int32_t n) {
    const int32_t c = ClusterSize(path);
    if (n % c == 0) return n;
    return (n / c + 1) * c;
}

int64_t FreeSpace(const std::string& drive) {
    std::string root = drive.empty() ? drive : drive + "\\";
    ULARGE_INTEGER available{}, total{}, totalFree{};
    QuietDriveErrors quiet;
    if (root.empty() || !GetDiskFreeSpaceExA(root.c_str(), &available, &total, &totalFree))
        return 0;
    return available.QuadPart > uint64_t(INT64_MAX) ? INT64_MAX : int64_t(available.QuadPart);
}

int32_t FolderSizeKB(const std::string& folder, int32_t clusterSize) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((base + "*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int32_t total = 0;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = base + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            total += FolderSizeKB(path, clusterSize);
            continue;
        }
        DWORD size = found.nFileSizeLow; // if the file cannot be opened, as listed
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD measured = GetFileSize(file, nullptr);
            if (measured != INVALID_FILE_SIZE) size = measured;
            CloseHandle(file);
        }
        const uint64_t rounded = (uint64_t(size) + clusterSize - 1) / clusterSize * clusterSize;
        total += int32_t(rounded / 1024);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return total;
}
