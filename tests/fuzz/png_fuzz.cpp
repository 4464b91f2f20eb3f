// libFuzzer target: the logo reader's decoding core, fed damaged and hostile
// PNG files.
#include "image/png_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPNGImage image;
    if (!image.LoadFromStream(data, size)) {
        if (!image.Empty()) __builtin_trap(); // a failed load leaves no picture
        return 0;
    }
    // A decoded picture: every pixel lies inside the pixel memory and names
    // a palette entry or at least a value of its depth.
    if (image.Stride % 4 != 0 || image.Pixels.size() < image.Stride * image.Height)
        __builtin_trap();
    unsigned sum = 0;
    for (uint32_t y = 0; y < image.Height; ++y)
        for (uint32_t x = 0; x < image.Width; ++x)
            sum += image.PixelIndex(x, y);
    return int(sum & 0);
}
