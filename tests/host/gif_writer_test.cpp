// The sample generator's GIF writer, read back with the tests' own reader.
#include "gif_reader.h"
#include "gif_writer.h"
#include "host_files.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

sample::IndexedImage Image(int width, int height, int colours) {
    sample::IndexedImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < colours; ++i)
        image.palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 37)});
    image.pixels.assign(size_t(width * height), 0);
    return image;
}

void ExpectSamePicture(const sample::IndexedImage& image) {
    const GifPicture g = ReadGif(sample::EncodeGif(image));
    ASSERT_EQ(g.error, "");
    EXPECT_EQ(g.width, image.width);
    EXPECT_EQ(g.height, image.height);
    EXPECT_EQ(g.transparent, image.transparent);
    ASSERT_GE(size_t(g.colours), image.palette.size());
    for (size_t i = 0; i < image.palette.size(); ++i) {
        EXPECT_EQ(g.palette[3 * i], image.palette[i].r);
        EXPECT_EQ(g.palette[3 * i + 1], image.palette[i].g);
        EXPECT_EQ(g.palette[3 * i + 2], image.palette[i].b);
    }
    EXPECT_EQ(g.pixels, image.pixels);
}

TEST(GifWriter, RandomPixelsRoundTripForEveryTableSize) {
    // Noise makes the code width grow at every step; sizes from 1 pixel up.
    for (int colours : {2, 3, 4, 5, 16, 17, 128, 256}) {
        for (int side : {1, 2, 3, 15, 16, 33}) {
            SCOPED_TRACE(std::to_string(colours) + " colours, side " + std::to_string(side));
            sample::IndexedImage image = Image(side, side + 1, colours);
            const Bytes noise = SomeBytes(uint32_t(colours * 100 + side), image.pixels.size());
            for (size_t i = 0; i < noise.size(); ++i)
                image.pixels[i] = uint8_t(noise[i] % colours);
            ExpectSamePicture(image);
        }
    }
}

TEST(GifWriter, LongRunsMakeLongCodes) {
    // Runs build strings of growing length, including a code that names
    // the entry being made in the same step.
    sample::IndexedImage image = Image(300, 7, 4);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = uint8_t(i / 97 % 4);
    ExpectSamePicture(image);
    sample::IndexedImage flat = Image(64, 64, 2);
    ExpectSamePicture(flat);
}

TEST(GifWriter, FullCodeTableStartsAfresh) {
    sample::IndexedImage image = Image(200, 150, 256);
    const Bytes noise = SomeBytes(7, image.pixels.size());
    image.pixels.assign(noise.begin(), noise.end());
    const GifPicture g = ReadGif(sample::EncodeGif(image));
    ASSERT_EQ(g.error, "");
    EXPECT_GT(g.clearCodes, 1); // the table filled at least once
    EXPECT_EQ(g.pixels, image.pixels);
}

TEST(GifWriter, EveryCodeWidthBoundaryAtTheEndCode) {
    // Lengths of 1 to 600 noise pixels put the last code and the end code
    // on each side of every width change.
    for (int n = 1; n <= 600; ++n) {
        sample::IndexedImage image = Image(n, 1, 4);
        const Bytes noise = SomeBytes(uint32_t(n), size_t(n));
        for (int i = 0; i < n; ++i)
            image.pixels[size_t(i)] = uint8_t(noise[size_t(i)] % 4);
        const GifPicture g = ReadGif(sample::EncodeGif(image));
        ASSERT_EQ(g.error, "") << n << " pixels";
        ASSERT_EQ(g.pixels, image.pixels) << n << " pixels";
    }
}

TEST(GifWriter, TransparentColourIsDeclared) {
    sample::IndexedImage image = Image(4, 4, 4);
    image.transparent = 2;
    ExpectSamePicture(image);
}

} // namespace
