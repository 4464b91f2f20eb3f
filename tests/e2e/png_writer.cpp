#include "png_writer.h"

#include <zlib.h>

namespace e2e {

namespace {
void PutU32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char(uint8_t(v >> shift)));
}

// length, type, data, and the CRC of type and data
void PutChunk(std::string& out, const char type[4], const std::string& data) {
    PutU32(out, uint32_t(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutU32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}
} // namespace

std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    const uint64_t stride = uint64_t(width) * 3;
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        rgb.size() != stride * height)
        return {};

    std::vector<uint8_t> raw;
    raw.reserve(size_t((stride + 1) * height));
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0); // filter type 0: the row as it is
        raw.insert(raw.end(), rgb.begin() + y * stride, rgb.begin() + (y + 1) * stride);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, raw.data(), uLong(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::string header;
    PutU32(header, width);
    PutU32(header, height);
    header += std::string("\x08\x02\x00\x00\x00",
                          5); // depth 8, RGB, deflate, filter method 0, no interlace

    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    return png;
}

} // namespace e2e
