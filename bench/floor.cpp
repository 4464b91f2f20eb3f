// qvfloor: what this machine needs at least to install the payload,
// without Wine: inflate the zlib stream in one call into a buffer of the
// exact size, then write every file (with its folders and time stamp) the
// way the setup program places them, with plain POSIX calls.
//
//   qvfloor PAYLOAD.BIN INFLATED-SIZE OUTDIR
//
// Files of the destination folder go to OUTDIR/dest, the shared data
// folder's to OUTDIR/Public (the spellchecker's to OUTDIR/Public/Spellcheck).
// Prints the milliseconds of the whole job and of the inflating alone.
#include "payload/payload_format.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "qvfloor: %s\n", message.c_str());
    std::exit(1);
}

std::set<std::string> Made;

void MakeFolders(const std::string& path) {
    if (Made.count(path)) return;
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(path.substr(0, slash));
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        Fail("cannot create " + path + ": " + std::strerror(errno));
    Made.insert(path);
}

void Write(const std::string& path, const uint8_t* data, size_t size, double day) {
    MakeFolders(path.substr(0, path.rfind('/')));
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) Fail("cannot create " + path);
    if (size && write(fd, data, size) != ssize_t(size)) Fail("cannot write " + path);
    // Day count to Unix time, taking the stamp as UTC: the cost is the same.
    const double unix = (day - 25569.0) * 86400.0;
    const timespec times[2] = {{time_t(unix), 0}, {time_t(unix), 0}};
    futimens(fd, times);
    close(fd);
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    if (argc != 4) {
        std::fprintf(stderr, "usage: qvfloor PAYLOAD.BIN INFLATED-SIZE OUTDIR\n");
        return 2;
    }
    FILE* f = std::fopen(argv[1], "rb");
    if (!f) Fail(std::string("cannot open ") + argv[1]);
    std::vector<uint8_t> packed;
    uint8_t chunk[1 << 16];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        packed.insert(packed.end(), chunk, chunk + n);
    std::fclose(f);

    const auto inflateStart = std::chrono::steady_clock::now();
    uLongf size = std::strtoul(argv[2], nullptr, 10);
    uint8_t* data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!data || uncompress(data, &size, packed.data(), uLong(packed.size())) != Z_OK)
        Fail("cannot inflate the payload");
    const double inflateMs = Milliseconds(inflateStart);

    std::vector<payload::EntryRecord> entries;
    if (payload::IndexPayload(data, int32_t(size), entries) != payload::IndexStatus::Ok)
        Fail("the payload is damaged");
    const std::string out = argv[3];
    const char* const spellcheck[] = {"English (American).asc",
                                      "English (American).cache",
                                      "English (British).asc",
                                      "english.zlx",
                                      "us.zlx",
                                      "uk.zlx",
                                      "userdicen.tlx"};
    for (const auto& e : entries) {
        std::string name = e.name;
        for (char& c : name)
            if (c == '\\') c = '/';
        std::string path = out + "/dest/" + name;
        if (StartsWith(name, "Templates/") || StartsWith(name, "Clip Library/") ||
            name == "Basic.asn")
            path = out + "/Public/" + name;
        for (const char* s : spellcheck)
            if (name == s) path = out + "/Public/Spellcheck/" + name;
        Write(path, data + e.offset, size_t(e.size), e.date);
        if (name == "English (American).cache")
            Write(out + "/Public/Spellcheck/English (British).cache", data + e.offset,
                  size_t(e.size), e.date);
    }
    std::free(data);
    std::printf("floor_ms %.1f inflate_ms %.1f files %zu\n", Milliseconds(start), inflateMs,
                entries.size());
    return 0;
}
