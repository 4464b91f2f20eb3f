// A strict GIF reader for the tests, written from the GIF89a format on its
// own (not from our writer): one image, global colour table, graphic
// control extension; anything it does not expect is an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hosttest {

struct GifPicture {
    std::string error; // empty when the file was read in full
    int width = 0;
    int height = 0;
    int colours = 0; // entries of the global colour table
    int transparent = -1;
    std::vector<uint8_t> palette; // r, g, b per colour
    std::vector<uint8_t> pixels;  // palette indexes, width * height
    int clearCodes = 0;           // clear codes met in the code stream
};

GifPicture ReadGif(const std::vector<uint8_t>& file);

} // namespace hosttest
