#include "clip_images.h"

#include <cstdlib>

namespace sample {

namespace {

constexpr int kIcon = 16;

const Rgb kColours[8] = {{200, 30, 30},  {30, 90, 200},  {20, 150, 60}, {230, 160, 20},
                         {130, 50, 170}, {20, 160, 170}, {90, 90, 90},  {220, 80, 150}};

Rgb Darker(Rgb c) {
    return {uint8_t(c.r / 2), uint8_t(c.g / 2), uint8_t(c.b / 2)};
}
Rgb Lighter(Rgb c) {
    return {uint8_t(c.r + (255 - c.r) / 2), uint8_t(c.g + (255 - c.g) / 2),
            uint8_t(c.b + (255 - c.b) / 2)};
}

// Palette: 0 background (transparent), 1 fill, 2 edge, 3 highlight.
IndexedImage Icon(Rgb colour) {
    IndexedImage image;
    image.width = kIcon;
    image.height = kIcon;
    image.pixels.assign(size_t(kIcon * kIcon), 0);
    image.palette = {{255, 255, 255}, colour, Darker(colour), Lighter(colour)};
    image.transparent = 0;
    return image;
}

void Set(IndexedImage& image, int x, int y, uint8_t index) {
    if (x >= 0 && y >= 0 && x < image.width && y < image.height)
        image.pixels[size_t(y * image.width + x)] = index;
}

} // namespace

IndexedImage Bullet(int number) {
    const int shape = (number - 1) % 4;
    IndexedImage image = Icon(kColours[((number - 1) / 4) % 8]);
    for (int y = 0; y < kIcon; ++y) {
        for (int x = 0; x < kIcon; ++x) {
            // Doubled coordinates around the centre of the 16 x 16 square.
            const int dx = 2 * x - 15, dy = 2 * y - 15;
            const int round = dx * dx + dy * dy;
            bool inside = false, edge = false;
            switch (shape) {
            case 0: // disc
                inside = round <= 144;
                edge = round > 100;
                break;
            case 1: { // square
                const int m = std::abs(dx) > std::abs(dy) ? std::abs(dx) : std::abs(dy);
                inside = m <= 11;
                edge = m > 8;
                break;
            }
            case 2: { // diamond
                const int m = std::abs(dx) + std::abs(dy);
                inside = m <= 14;
                edge = m > 10;
                break;
            }
            default: // ring
                inside = round <= 144 && round >= 36;
                edge = round > 100 || round < 64;
                break;
            }
            if (!inside) continue;
            const int hx = dx + 5, hy = dy + 5;
            const bool shine = shape != 3 && hx * hx + hy * hy <= 12;
            Set(image, x, y, shine ? 3 : edge ? 2 : 1);
        }
    }
    return image;
}

IndexedImage Target() {
    IndexedImage image = Icon(kColours[0]);
    image.palette[3] = {255, 255, 255}; // white rings between the red ones
    for (int y = 0; y < kIcon; ++y) {
        for (int x = 0; x < kIcon; ++x) {
            const int dx = 2 * x - 15, dy = 2 * y - 15;
            const int round = dx * dx + dy * dy;
            if (round > 225) continue;
            const int ring = round <= 9 ? 0 : round <= 49 ? 1 : round <= 121 ? 2 : 3;
            Set(image, x, y, ring % 2 == 0 ? 1 : 3);
            if (round > 196) Set(image, x, y, 2);
        }
    }
    return image;
}

IndexedImage Checkmark(int number) {
    const Rgb colours[5] = {
        {200, 20, 20}, {20, 140, 40}, {30, 80, 190}, {30, 30, 30}, {200, 20, 20}};
    IndexedImage image = Icon(colours[number % 5]);
    if (number == 0) {
        for (int i = 3; i <= 12; ++i) {
            for (int t = 0; t < 2; ++t) {
                Set(image, i + t, i, 1);
                Set(image, 15 - i - t, i, 1);
            }
        }
        return image;
    }
    // A tick: a short stroke down to the right, then a long one up to the right.
    for (int x = 2; x <= 6; ++x)
        for (int t = 0; t < 3; ++t)
            Set(image, x, 7 + (x - 2) + t, t == 2 ? 2 : 1);
    for (int x = 6; x <= 13; ++x)
        for (int t = 0; t < 3; ++t)
            Set(image, x, 11 - (x - 6) + t, t == 2 ? 2 : 1);
    return image;
}

IndexedImage Divider(int number) {
    IndexedImage image;
    image.width = 240;
    image.height = 6;
    image.pixels.assign(size_t(image.width * image.height), 0);
    image.transparent = 0;
    image.palette.push_back({255, 255, 255});
    if (number == 3) {
        // Sixteen shades from blue to green across the width.
        for (int i = 0; i < 16; ++i)
            image.palette.push_back(
                {uint8_t(20 + i * 4), uint8_t(60 + i * 10), uint8_t(200 - i * 11)});
        for (int y = 1; y < 5; ++y)
            for (int x = 0; x < image.width; ++x)
                Set(image, x, y, uint8_t(1 + x * 16 / image.width));
        return image;
    }
    image.palette.push_back({60, 60, 60});
    for (int x = 0; x < image.width; ++x) {
        if (number == 1) {
            if (x % 6 < 3) {
                Set(image, x, 2, 1);
                Set(image, x, 3, 1);
            }
        } else {
            Set(image, x, 1, 1);
            Set(image, x, 4, 1);
        }
    }
    return image;
}

} // namespace sample
