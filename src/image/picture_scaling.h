// A decoded picture drawn larger or smaller for a screen of another pixel
// density: each new pixel mixes the four source pixels nearest to its
// centre (bilinear), so that edges stay smooth instead of turning into
// blocks. This file knows nothing of Windows so that it also builds
// natively.
#pragma once

#include "image/png_decoder.h"

#include <cstdint>
#include <vector>

// The picture's colours at `width` × `height`, rows from top to bottom, each
// pixel 0x00RRGGBB (the layout of a 32-bit Windows DIB). Empty when the
// picture or the size is.
std::vector<uint32_t> ScalePicture(const TPNGImage& image, uint32_t width, uint32_t height);
