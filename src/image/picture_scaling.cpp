#include "image/picture_scaling.h"

#include <algorithm>

namespace {
// Where the centre of new pixel `i` falls among `from` source pixels, when
// `to` new ones cover the same width: the source pixel to its left (or
// above) and the weight of the next one, in 1/256ths.
struct TSample {
    uint32_t First;
    uint32_t Weight;
};

TSample Sample(uint32_t i, uint32_t to, uint32_t from) {
    // In 1/256ths of a source pixel: (i + 1/2) * from / to - 1/2.
    const int64_t position = (int64_t(2 * i + 1) * from * 256) / (2 * int64_t(to)) - 128;
    if (position <= 0) return {0, 0};
    const auto first = uint32_t(position >> 8);
    if (first >= from - 1) return {from - 1, 0};
    return {first, uint32_t(position & 255)};
}

uint32_t Mix(uint32_t a, uint32_t b, uint32_t weight) {
    uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t ca = (a >> shift) & 255, cb = (b >> shift) & 255;
        mixed |= ((ca * (256 - weight) + cb * weight + 128) >> 8) << shift;
    }
    return mixed;
}

// A pixel's palette entry, black where the index lies beyond the palette.
uint32_t Colour(const TPNGImage& image, uint32_t x, uint32_t y) {
    const uint8_t index = image.PixelIndex(x, y);
    if (index >= image.Palette.size()) return 0;
    const TPaletteEntry& e = image.Palette[index];
    return uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
}
} // namespace

bool ScalePicture(const TPNGImage& image, uint32_t width, uint32_t height, uint32_t* out) {
    if (image.Empty() || width == 0 || height == 0) return false;
    for (uint32_t y = 0; y < height; ++y) {
        const TSample row = Sample(y, height, image.Height);
        const uint32_t upper = row.First, lower = std::min(row.First + 1, image.Height - 1);
        for (uint32_t x = 0; x < width; ++x) {
            const TSample c = Sample(x, width, image.Width);
            const uint32_t next = std::min(c.First + 1, image.Width - 1);
            out[size_t(y) * width + x] =
                Mix(Mix(Colour(image, c.First, upper), Colour(image, next, upper), c.Weight),
                    Mix(Colour(image, c.First, lower), Colour(image, next, lower), c.Weight),
                    row.Weight);
        }
    }
    return true;
}
