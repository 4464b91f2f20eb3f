// qvpack: packs a product folder into the setup program's payload.
//
//   qvpack OUTPUT FOLDER [SOURCE=NAME ...]
//
// Every regular file below FOLDER becomes one entry named by its path
// relative to FOLDER, with "\" between folders. Each SOURCE=NAME adds one
// more file under an explicit name. Entries are written in byte-wise order
// of their names, so the same input always gives the same output. Time
// stamps are the files' modification times as local day counts, rounded
// down to an even second (the resolution the installer compares at).
// The stream is compressed with zlib at the best compression level.
#include "payload/payload_format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

namespace {

struct Input {
    std::string source; // path on this machine
    std::string name;   // entry name
};

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "qvpack: %s\n", message.c_str());
    std::exit(1);
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

double LocalDayCount(time_t t) {
    struct tm lt;
    localtime_r(&t, &lt);
    const long days = DaysFromCivil(lt.tm_year + 1900, unsigned(lt.tm_mon + 1), unsigned(lt.tm_mday)) -
                      DaysFromCivil(1899, 12, 30);
    const int seconds = lt.tm_hour * 3600 + lt.tm_min * 60 + (lt.tm_sec & ~1);
    return double(days) + double(seconds) / 86400.0;
}

void CheckName(const std::string& name) {
    if (name.empty()) Fail("an entry name is empty");
    if (name.size() > 255) Fail("name longer than 255 bytes: " + name);
    if (name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':'))
        Fail("absolute name: " + name);
    size_t start = 0;
    for (;;) {
        size_t end = name.find('\\', start);
        std::string element = name.substr(start, end == std::string::npos ? end : end - start);
        if (element == ".." || element == ".") Fail("name with a \"" + element + "\" element: " + name);
        if (element.empty()) Fail("name with an empty folder element: " + name);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (name.find('/') != std::string::npos) Fail("name with a \"/\": " + name);
}

void Walk(const std::string& dir, const std::string& prefix, std::vector<Input>& out) {
    DIR* d = opendir(dir.c_str());
    if (!d) Fail("cannot read folder " + dir + ": " + std::strerror(errno));
    while (dirent* e = readdir(d)) {
        std::string leaf = e->d_name;
        if (leaf == "." || leaf == "..") continue;
        std::string path = dir + "/" + leaf;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) Fail("cannot read " + path + ": " + std::strerror(errno));
        if (S_ISDIR(st.st_mode))
            Walk(path, prefix + leaf + "\\", out);
        else if (S_ISREG(st.st_mode))
            out.push_back({path, prefix + leaf});
    }
    closedir(d);
}

std::vector<uint8_t> ReadFile(const std::string& path, off_t size) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) Fail("cannot open " + path + ": " + std::strerror(errno));
    if (size && std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
        Fail("cannot read " + path);
    std::fclose(f);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: qvpack OUTPUT FOLDER [SOURCE=NAME ...]\n");
        return 2;
    }
    std::vector<Input> inputs;
    Walk(argv[2], "", inputs);
    for (int i = 3; i < argc; ++i) {
        std::string arg = argv[i];
        size_t eq = arg.find('=');
        if (eq == std::string::npos) Fail("expected SOURCE=NAME, got " + arg);
        inputs.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
    }
    std::sort(inputs.begin(), inputs.end(),
              [](const Input& a, const Input& b) { return a.name < b.name; });

    std::vector<uint8_t> raw;
    for (const Input& in : inputs) {
        CheckName(in.name);
        struct stat st;
        if (stat(in.source.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            Fail("not a file: " + in.source);
        if (uint64_t(st.st_size) >= 0x80000000ull) Fail("file of 2 GiB or more: " + in.source);
        std::vector<uint8_t> bytes = ReadFile(in.source, st.st_size);
        if (raw.size() + payload::kEntryFixedBytes + in.name.size() + bytes.size() > 0x7FFFFFFFull)
            Fail("the product is larger than 2 GiB in all");
        payload::AppendEntry(raw, in.name, LocalDayCount(st.st_mtime), bytes.data(),
                             uint32_t(bytes.size()));
    }

    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        Fail("compression failed");

    FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(packed.data(), 1, packedSize, out) != packedSize || std::fclose(out) != 0)
        Fail(std::string("cannot write ") + argv[1]);
    std::printf("qvpack: %zu files, %zu bytes, packed to %lu bytes\n", inputs.size(), raw.size(),
                (unsigned long)packedSize);
    return 0;
}
