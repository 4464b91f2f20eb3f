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
//
// Refused, with a message and exit code 1: names over 255 bytes, absolute
// names, "." and ".." elements, names Windows would store as another file
// (reserved characters, trailing dots or blanks, device names such as CON),
// two files whose names differ only in letter case, files of 2 GiB or more.
// Nothing is written then.
#include "payload/day_count.h"
#include "payload/payload_format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <map>
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

// The installer's own day-count encoding, so that stamps compare bit for bit.
double LocalDayCount(time_t t) {
    struct tm lt;
    localtime_r(&t, &lt);
    TCivilTime civil;
    civil.Year = lt.tm_year + 1900;
    civil.Month = lt.tm_mon + 1;
    civil.Day = lt.tm_mday;
    civil.Hour = lt.tm_hour;
    civil.Minute = lt.tm_min;
    civil.Second = lt.tm_sec & ~1; // the DOS format's two-second resolution
    return EncodeDayCount(civil);
}

// Device names that Windows opens as devices in any folder and with any
// extension: writing "Templates\\CON.kwt" would write to the console.
bool IsDeviceName(const std::string& element) {
    std::string base = element.substr(0, element.find('.'));
    for (char& c : base)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// Refuses names the installer could not write as the file they name.
void CheckName(const std::string& name) {
    if (name.empty()) Fail("an entry name is empty");
    if (name.size() > 255) Fail("name longer than 255 bytes: " + name);
    if (name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':'))
        Fail("absolute name: " + name);
    if (name.find('/') != std::string::npos) Fail("name with a \"/\": " + name);
    for (unsigned char c : name) {
        // A ":" would make Windows write a stream of another file.
        if (c < 0x20 || std::strchr("<>:\"|?*", c))
            Fail("name with a character Windows does not allow in file names: " + name);
    }
    size_t start = 0;
    for (;;) {
        size_t end = name.find('\\', start);
        std::string element = name.substr(start, end == std::string::npos ? end : end - start);
        if (element == ".." || element == ".")
            Fail("name with a \"" + element + "\" element: " + name);
        if (element.empty()) Fail("name with an empty folder element: " + name);
        // Windows drops trailing dots and blanks, so the file would get another name.
        if (element.back() == '.' || element.back() == ' ')
            Fail("name with an element ending in a dot or blank: " + name);
        if (IsDeviceName(element)) Fail("name with a device name as an element: " + name);
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

// Upper-cases ASCII letters only: the installer upper-cases in the user's
// code page, which we do not know here, so this catches the plain cases.
std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return folded;
}

struct FolderId {
    dev_t dev;
    ino_t ino;
};

// `open` holds the folders being walked, to refuse a link back to one of them.
void Walk(const std::string& dir, const std::string& prefix, std::vector<FolderId>& open,
          std::vector<Input>& out) {
    DIR* d = opendir(dir.c_str());
    if (!d) Fail("cannot read folder " + dir + ": " + std::strerror(errno));
    while (dirent* e = readdir(d)) {
        std::string leaf = e->d_name;
        if (leaf == "." || leaf == "..") continue;
        std::string path = dir + "/" + leaf;
        // A "\\" inside a name would read as a folder separator in the payload.
        if (leaf.find('\\') != std::string::npos) Fail("name with a \"\\\": " + path);
        struct stat st;
        if (stat(path.c_str(), &st) != 0) Fail("cannot read " + path + ": " + std::strerror(errno));
        if (S_ISDIR(st.st_mode)) {
            for (const FolderId& id : open)
                if (id.dev == st.st_dev && id.ino == st.st_ino)
                    Fail("folder linked into itself: " + path);
            open.push_back({st.st_dev, st.st_ino});
            Walk(path, prefix + leaf + "\\", open, out);
            open.pop_back();
        } else if (S_ISREG(st.st_mode)) {
            out.push_back({path, prefix + leaf});
        }
    }
    closedir(d);
}

void WalkProduct(const std::string& dir, std::vector<Input>& out) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) Fail("not a folder: " + dir);
    std::vector<FolderId> open = {{st.st_dev, st.st_ino}};
    Walk(dir, "", open, out);
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
    WalkProduct(argv[2], inputs);
    for (int i = 3; i < argc; ++i) {
        std::string arg = argv[i];
        size_t eq = arg.find('=');
        if (eq == std::string::npos) Fail("expected SOURCE=NAME, got " + arg);
        inputs.push_back({arg.substr(0, eq), arg.substr(eq + 1)});
    }
    // Byte-wise order (std::string compares as unsigned char).
    std::sort(inputs.begin(), inputs.end(),
              [](const Input& a, const Input& b) { return a.name < b.name; });
    // Names that differ only in letter case would install to one file on
    // Windows, the later silently replacing the earlier; exact repeats would
    // leave the order between them to the walk.
    std::map<std::string, const Input*> seen;
    for (const Input& in : inputs) {
        CheckName(in.name);
        auto [first, fresh] = seen.emplace(Folded(in.name), &in);
        if (!fresh)
            Fail("two files for one name: " + first->second->source + " as " + first->second->name +
                 ", " + in.source + " as " + in.name);
    }

    std::vector<uint8_t> raw;
    for (const Input& in : inputs) {
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
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_BEST_COMPRESSION) !=
        Z_OK)
        Fail("compression failed");

    FILE* out = std::fopen(argv[1], "wb");
    if (!out) Fail(std::string("cannot create ") + argv[1] + ": " + std::strerror(errno));
    const bool written = std::fwrite(packed.data(), 1, packedSize, out) == packedSize;
    if (std::fclose(out) != 0 || !written) {
        std::remove(argv[1]); // a cut-off payload must not be built into setup.exe
        Fail(std::string("cannot write ") + argv[1]);
    }
    std::printf("qvpack: %zu files, %zu bytes, packed to %lu bytes\n", inputs.size(), raw.size(),
                (unsigned long)packedSize);
    return 0;
}
