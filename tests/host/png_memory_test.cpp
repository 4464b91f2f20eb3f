// The logo reader without the memory a picture needs: setup.exe runs without
// exceptions, so the reader checks every allocation, and a logo it cannot
// hold is left out (the load fails, the image stays empty) instead of ending
// the program. Run in a child process whose address space is capped.
#include "image/png_decoder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void AppendBigEndian(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

// One chunk; the reader never checks CRCs, so they stay zero.
void AppendChunk(Bytes& out, const char* type, const Bytes& data) {
    AppendBigEndian(out, uint32_t(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), 4, 0);
}

// A black 8-bit palette picture of width × height: small as a file, large
// in memory.
Bytes BlackPicture(uint32_t width, uint32_t height) {
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    Bytes header;
    AppendBigEndian(header, width);
    AppendBigEndian(header, height);
    header.insert(header.end(), {8, 3, 0, 0, 0});
    AppendChunk(out, "IHDR", header);
    AppendChunk(out, "PLTE", Bytes(3, 0));
    const Bytes rows(size_t(width + 1) * height, 0); // filter 0, index 0
    uLongf size = compressBound(uLong(rows.size()));
    Bytes packed(size);
    EXPECT_EQ(compress2(packed.data(), &size, rows.data(), uLong(rows.size()), 9), Z_OK);
    packed.resize(size);
    AppendChunk(out, "IDAT", packed);
    AppendChunk(out, "IEND", {});
    return out;
}

// Caps the process's address space at what it uses now plus `spare` bytes.
void LimitAddressSpace(size_t spare) {
    unsigned long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + spare;
    const rlimit cap{limit, limit};
    setrlimit(RLIMIT_AS, &cap);
}

} // namespace

TEST(PngMemory, APictureWithoutTheMemoryItNeedsIsLeftOut) {
    // 64 MB of pixels, the most the reader takes, from a file of 64 KB.
    const Bytes file = BlackPicture(8192, 8000);
    TPNGImage image;
    ASSERT_TRUE(image.LoadFromStream(file.data(), file.size())) << "the picture itself is sound";
    image.Clear();
    EXPECT_EXIT(
        {
            LimitAddressSpace(16u << 20);
            TPNGImage starved;
            const bool loaded = starved.LoadFromStream(file.data(), file.size());
            std::exit(!loaded && starved.Empty() && starved.Pixels.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
