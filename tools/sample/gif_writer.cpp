#include "gif_writer.h"

#include <unordered_map>

namespace sample {

namespace {

constexpr int kMaxCodes = 4096; // GIF codes are at most 12 bits wide

// Packs codes of varying width, least significant bit first.
class BitWriter {
  public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(int code, int width) {
        acc_ |= uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.push_back(uint8_t(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    void Flush() {
        if (bits_ > 0) out_.push_back(uint8_t(acc_));
        acc_ = 0;
        bits_ = 0;
    }

  private:
    std::vector<uint8_t>& out_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

void PutU16(std::vector<uint8_t>& out, int v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

} // namespace

std::vector<uint8_t> LzwCompress(const std::vector<uint8_t>& pixels, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::vector<uint8_t> out;
    BitWriter bits(out);
    std::unordered_map<uint32_t, int> table; // (prefix code << 8 | pixel) -> code
    int width = minCodeSize + 1;
    int next = end + 1;

    bits.Put(clear, width);
    if (pixels.empty()) {
        bits.Put(end, width);
        bits.Flush();
        return out;
    }
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = uint32_t(prefix) << 8 | pixels[i];
        auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        bits.Put(prefix, width);
        if (next < kMaxCodes) {
            table.emplace(key, next++);
            // The decoder adds its entry one code later than we do, so it
            // widens when our count has passed the limit, not reached it.
            if (next > (1 << width) && width < 12) ++width;
        } else {
            // Table full: start afresh rather than emit codes wider than 12 bits.
            bits.Put(clear, width);
            table.clear();
            width = minCodeSize + 1;
            next = end + 1;
        }
        prefix = pixels[i];
    }
    bits.Put(prefix, width);
    // The decoder adds an entry for that last code too before it reads the
    // end code; widen as it will.
    if (next < kMaxCodes && next + 1 > (1 << width) && width < 12) ++width;
    bits.Put(end, width);
    bits.Flush();
    return out;
}

std::vector<uint8_t> EncodeGif(const IndexedImage& image) {
    int tableBits = 1; // the colour table holds 2^tableBits entries
    while ((1u << tableBits) < image.palette.size())
        ++tableBits;
    const int minCodeSize = tableBits < 2 ? 2 : tableBits;

    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutU16(out, image.width);
    PutU16(out, image.height);
    out.push_back(uint8_t(0x80 | (tableBits - 1) << 4 | (tableBits - 1)));
    out.push_back(0); // background colour
    out.push_back(0); // no aspect ratio
    for (int i = 0; i < (1 << tableBits); ++i) {
        const Rgb c = i < int(image.palette.size()) ? image.palette[size_t(i)] : Rgb{0, 0, 0};
        out.insert(out.end(), {c.r, c.g, c.b});
    }
    if (image.transparent >= 0) {
        // Graphic control extension: no delay, transparent colour set.
        out.insert(out.end(),
                   {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, uint8_t(image.transparent), 0x00});
    }
    out.push_back(0x2C); // image descriptor, whole screen, no local table
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, image.width);
    PutU16(out, image.height);
    out.push_back(0);

    out.push_back(uint8_t(minCodeSize));
    const std::vector<uint8_t> codes = LzwCompress(image.pixels, minCodeSize);
    for (size_t at = 0; at < codes.size(); at += 255) {
        const size_t n = codes.size() - at < 255 ? codes.size() - at : 255;
        out.push_back(uint8_t(n));
        out.insert(out.end(), codes.begin() + long(at), codes.begin() + long(at + n));
    }
    out.push_back(0);    // end of image data
    out.push_back(0x3B); // trailer
    return out;
}

} // namespace sample
