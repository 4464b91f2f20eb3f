// Files, folders, child processes and payloads for the native tests.
// Everything is written below the build tree's scratch folder QV_HOST_OUT.
#pragma once

#include "payload/payload_format.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace hosttest {

using Bytes = std::vector<uint8_t>;

// An empty folder QV_HOST_OUT/name (emptied if it was left by an earlier run).
std::string ScratchDir(const std::string& name);

// Writes a file, creating its missing parent folders.
void WriteBytes(const std::string& path, const Bytes& data);
void WriteText(const std::string& path, const std::string& text);
Bytes ReadBytes(const std::string& path);
bool IsFile(const std::string& path);
void SetMtime(const std::string& path, time_t when);
time_t Mtime(const std::string& path);

// `count` bytes from a fixed seed, every byte value likely.
Bytes SomeBytes(uint32_t seed, size_t count);

struct RunResult {
    int exitCode = -1;  // -1 when the program did not end normally
    std::string output; // stdout and stderr together
};

// Runs a program directly (no shell) and waits for it.
RunResult RunProgram(const std::vector<std::string>& args);

struct TreeFile {
    std::string name; // relative, "/" between folders
    Bytes data;
    time_t mtime = 0;
};

// Every regular file below `root`, ordered by name.
std::vector<TreeFile> ReadTree(const std::string& root);

struct Unpacked {
    bool ok = false; // inflated and indexed without complaint
    payload::Inflated inflated;
    std::vector<payload::EntryRecord> entries;
    size_t packedSize = 0;

    Bytes DataOf(const payload::EntryRecord& e) const;
};

// Reads a payload file the way the setup program does: inflate, then index.
Unpacked Unpack(const std::string& path);

// The stamp a file of this modification time must get, worked out from the
// local clock reading: whole days since 1899-12-30 plus the time of day,
// seconds rounded down to even.
double ExpectedStamp(time_t mtime);

} // namespace hosttest
