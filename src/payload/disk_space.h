// Space on the destination volume: cluster sizes, sizes on disk, the space a
// component's files need, free space and the size of an installed folder
// tree. Every size counts whole clusters, not bytes of content.
#pragma once

#include "base/paths.h"
#include "payload/catalogue.h"

#include <cstdint>
#include <string>
#include <vector>

// Bytes per cluster of the volume that holds `path` (which need not exist),
// asked of the volume's root. Never 0: a volume that cannot be asked counts
// with 4 096-byte clusters, so that callers can always divide by it.
int32_t ClusterSize(const std::string& path);

// n rounded up to whole clusters of the volume holding `path`, asked anew on
// every call. Saturates at the largest 32-bit size instead of wrapping.
int32_t SizeOnDisk(const std::string& path, int32_t n);

// On-disk bytes, on the volume of `destDir`, of every payload entry the name
// patterns of `fileList` select (patterns separated by CR, LF or CR LF). A
// folder pattern counts every entry below it; a file pattern counts only the
// last entry of that name, as the plan writes only that one. A pattern given
// twice counts twice.
int32_t FileListSize(const std::vector<TAttachedFile>& files, const std::string& fileList,
                     const std::string& destDir);

// FreeSpace when the volume cannot be asked (no such drive, no medium,
// share out of reach).
constexpr int64_t kUnknownFreeSpace = -1;

// Bytes available to the current user (quotas respected) on the volume of
// `drive`, a drive part as DrivePart gives it; kUnknownFreeSpace when the
// volume cannot be asked.
int64_t FreeSpace(const std::string& drive);

// Size of a folder tree in KB, each file rounded up to whole clusters of
// `clusterSize` bytes and then truncated to KB on its own. A folder that
// cannot be listed adds 0; a file whose size cannot be read adds the size
// its folder listing gives.
int32_t FolderSizeKB(const std::string& folder, int32_t clusterSize);
