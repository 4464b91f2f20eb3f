// Space on the destination volume: cluster sizes, sizes on disk, free space
// and the size of an installed folder tree.
#pragma once

#include <cstdint>
#include <string>

// The drive part of a path: "C:" for C:\Apps, "\\server\share" for a UNC
// path; empty when the path has none.
std::string DrivePart(const std::string& path);

// Bytes per cluster of the volume that holds `path` (which need not exist).
// Never 0: a volume that cannot be asked counts with 4 096-byte clusters, so
// that callers can always divide by it.
int32_t ClusterSize(const std::string& path);

// n rounded up to whole clusters of the volume holding `path`.
int32_t SizeOnDisk(const std::string& path, int32_t n);

// Bytes available to the current user on the volume of `drive` (a drive part
// as DrivePart gives it). 0 when the volume cannot be asked: there is then
// nowhere to install to.
int64_t FreeSpace(const std::string& drive);

// Size of a folder tree in KB, each file rounded up to whole clusters of
// `clusterSize` bytes and then truncated to KB on its own.
int32_t FolderSizeKB(const std::string& folder, int32_t clusterSize);
