// A small PNG encoder for screenshots: 8-bit RGB, no interlacing, every row
// stored with filter type 0. Knows nothing of Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// `rgb` holds width * height pixels of three bytes (red, green, blue), rows
// from top to bottom. Returns the bytes of a PNG file, or nothing when the
// sizes do not match or compression fails.
std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

} // namespace e2e
