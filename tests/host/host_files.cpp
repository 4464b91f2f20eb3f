#include "host_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace hosttest {

namespace {

// The packer turns modification times into local clock readings; tests and
// the programs they start use one fixed zone, with summer time, whatever
// the machine's own.
class FixedTimeZone : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
};
::testing::Environment* const kTimeZone = ::testing::AddGlobalTestEnvironment(new FixedTimeZone);

[[noreturn]] void Abort(const std::string& what) {
    std::fprintf(stderr, "host test helper: %s: %s\n", what.c_str(), std::strerror(errno));
    std::abort();
}

} // namespace

std::string ScratchDir(const std::string& name) {
    const fs::path dir = fs::path(QV_HOST_OUT) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void WriteBytes(const std::string& path, const Bytes& data) {
    fs::create_directories(fs::path(path).parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Abort("cannot create " + path);
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f) != data.size())
        Abort("cannot write " + path);
    std::fclose(f);
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

Bytes ReadBytes(const std::string& path) {
    Bytes data;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return data;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    std::fclose(f);
    return data;
}

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void SetMtime(const std::string& path, time_t when) {
    const timeval times[2] = {{when, 0}, {when, 0}};
    if (utimes(path.c_str(), times) != 0) Abort("cannot set the time of " + path);
}

time_t Mtime(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) Abort("cannot stat " + path);
    return st.st_mtime;
}

Bytes SomeBytes(uint32_t seed, size_t count) {
    Bytes data(count);
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x >> 24);
    }
    return data;
}

RunResult RunProgram(const std::vector<std::string>& args) {
    RunResult result;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) Abort("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        result.output = "cannot start " + args[0];
        return result;
    }
    char chunk[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) result.output.append(chunk, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

std::vector<TreeFile> ReadTree(const std::string& root) {
    std::vector<TreeFile> files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        TreeFile f;
        f.name = fs::relative(e.path(), root).generic_string();
        f.data = ReadBytes(e.path().string());
        f.mtime = Mtime(e.path().string());
        files.push_back(std::move(f));
    }
    std::sort(files.begin(), files.end(),
              [](const TreeFile& a, const TreeFile& b) { return a.name < b.name; });
    return files;
}

Bytes Unpacked::DataOf(const payload::EntryRecord& e) const {
    const uint8_t* p = inflated.data.get() + e.offset;
    return Bytes(p, p + e.size);
}

Unpacked Unpack(const std::string& path) {
    Unpacked u;
    const Bytes packed = ReadBytes(path);
    u.packedSize = packed.size();
    u.inflated = payload::InflatePayload(packed.data(), uint32_t(packed.size()),
                                         uint32_t(packed.size() * 5));
    u.ok = u.inflated.status == payload::InflateStatus::Ok &&
           payload::IndexPayload(u.inflated.data.get(), u.inflated.size, u.entries) ==
               payload::IndexStatus::Ok;
    return u;
}

double ExpectedStamp(time_t mtime) {
    struct tm local;
    localtime_r(&mtime, &local);
    // Seconds since 1970-01-01 00:00 on the local clock.
    const long long clock = static_cast<long long>(mtime) + local.tm_gmtoff;
    long long days = clock / 86400;
    long long seconds = clock % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    const long long kUnixEpochDay = 25569; // 1970-01-01 counted from 1899-12-30
    return double(days + kUnixEpochDay) + double(seconds & ~1LL) / 86400.0;
}

} // namespace hosttest
