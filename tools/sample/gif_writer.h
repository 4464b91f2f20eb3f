// Writes small GIF89a images: one frame, one global colour table, optional
// transparent colour, LZW-compressed pixels. Enough for the clip library's
// bullets and marks; knows nothing of files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sample {

struct Rgb {
    uint8_t r, g, b;
};

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width * height palette indexes, rows top down
    std::vector<Rgb> palette;    // 2 to 256 colours
    int transparent = -1;        // palette index shown as transparent, or -1
};

std::vector<uint8_t> EncodeGif(const IndexedImage& image);

// The LZW code stream of GIF image data (before it is cut into sub-blocks).
// minCodeSize is 2 to 8; every pixel must be below 1 << minCodeSize.
std::vector<uint8_t> LzwCompress(const std::vector<uint8_t>& pixels, int minCodeSize);

} // namespace sample
