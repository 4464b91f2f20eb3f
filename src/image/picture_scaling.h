// A decoded picture drawn larger or smaller for a screen of another pixel
// density: each new pixel mixes the four source pixels nearest to its
// centre (bilinear), so that edges stay smooth instead of turning into
// blocks. This file knows nothing of Windows so that it also builds
// natively.
#pragma once

#include "image/png_decoder.h"

#include <cstdint>

// Writes the picture's colours at `width` × `height` into `out` (room for
// width × height pixels), rows from top to bottom, each pixel 0x00RRGGBB
// (the layout of a 32-bit Windows DIB). It takes no memory of its own, so
// it cannot fail; false, and nothing written, when the picture or the size
// is empty.
bool ScalePicture(const TPNGImage& image, uint32_t width, uint32_t height, uint32_t* out);
