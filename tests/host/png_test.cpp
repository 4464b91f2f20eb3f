// The logo reader against libpng: pictures written by libpng (every filter,
// every bit depth, several image data chunks, ancillary chunks) and the
// program's own logos must decode pixel for pixel as libpng reads them, and
// damaged or hostile files must end in the silent abort without touching
// memory outside the buffers (this program is built with the address and
// undefined-behaviour sanitizers).
#include "image/png_decoder.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------
// Pictures and libpng

struct Picture {
    uint32_t width = 0, height = 0;
    int depth = 8;
    int colourType = PNG_COLOR_TYPE_PALETTE;
    std::vector<uint16_t> samples; // channels() per pixel, rows top to bottom
    std::vector<png_color> palette;

    int channels() const {
        switch (colourType) {
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;
        }
    }
};

std::vector<png_color> MakePalette(size_t count) {
    std::vector<png_color> p(count);
    for (size_t i = 0; i < count; ++i)
        p[i] = {png_byte(i * 37 + 11), png_byte(255 - i * 13), png_byte(i * i + 5)};
    return p;
}

// Smooth areas, edges and noise, so that every filter has work to do.
Picture MakePicture(uint32_t width, uint32_t height, int depth, int colourType,
                    size_t paletteSize) {
    Picture pic;
    pic.width = width;
    pic.height = height;
    pic.depth = depth;
    pic.colourType = colourType;
    if (paletteSize) pic.palette = MakePalette(paletteSize);
    const uint32_t levels =
        colourType == PNG_COLOR_TYPE_PALETTE ? uint32_t(paletteSize) : (1u << depth);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < pic.channels(); ++c) {
                seed = seed * 1103515245u + 12345u;
                const uint32_t noise = (seed >> 16) % 5;
                const uint32_t v = (x * 7 + y * 3 + (x / 5) * (y / 4) * 11 + noise + c) * 2654435u;
                pic.samples.push_back(uint16_t((x < width / 2 ? v >> 4 : x + y) % levels));
            }
    return pic;
}

struct EncodeOptions {
    int filters = PNG_ALL_FILTERS;
    size_t idatSize = 8192; // libpng's image data chunk size
    bool interlace = false;
    bool ancillary = false; // text, gamma, time, background and an own chunk
};

void AppendToVector(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}
void NoFlush(png_structp) {}
void SilentWarning(png_structp, png_const_charp) {}

Bytes EncodeWithLibpng(const Picture& pic, const EncodeOptions& opt = {}) {
    Bytes out;
    // Rows as libpng takes them: one byte per sample below 8 bits (packed by
    // png_set_packing), two big-endian bytes per 16-bit sample.
    const size_t bytesPerSample = pic.depth == 16 ? 2 : 1;
    std::vector<Bytes> rows(pic.height, Bytes(pic.width * pic.channels() * bytesPerSample));
    size_t i = 0;
    for (Bytes& row : rows)
        for (size_t k = 0; k < row.size() / bytesPerSample; ++k, ++i) {
            if (bytesPerSample == 2) {
                row[2 * k] = uint8_t(pic.samples[i] >> 8);
                row[2 * k + 1] = uint8_t(pic.samples[i]);
            } else {
                row[k] = uint8_t(pic.samples[i]);
            }
        }
    std::vector<png_bytep> rowPointers;
    for (Bytes& row : rows)
        rowPointers.push_back(row.data());
    png_text texts[2] = {};
    texts[0].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[0].key = const_cast<char*>("Title");
    texts[0].text = const_cast<char*>("Test picture");
    texts[1].compression = PNG_TEXT_COMPRESSION_zTXt;
    texts[1].key = const_cast<char*>("Comment");
    texts[1].text = const_cast<char*>("Written before and after the image data");
    png_unknown_chunk own = {};
    std::memcpy(own.name, "quRv", 5);
    own.data = reinterpret_cast<png_bytep>(const_cast<char*>("own data"));
    own.size = 8;
    own.location = PNG_HAVE_IHDR;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the picture";
        return {};
    }
    png_set_write_fn(png, &out, AppendToVector, NoFlush);
    png_set_compression_buffer_size(png, opt.idatSize);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, opt.filters);
    png_set_IHDR(png, info, pic.width, pic.height, pic.depth, pic.colourType,
                 opt.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!pic.palette.empty()) png_set_PLTE(png, info, pic.palette.data(), int(pic.palette.size()));
    if (opt.ancillary) {
        png_set_gAMA(png, info, 0.45455);
        png_time stamp = {2024, 3, 1, 12, 30, 0};
        png_set_tIME(png, info, &stamp);
        png_set_text(png, info, texts, 1);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
        png_set_unknown_chunks(png, info, &own, 1);
        if (!pic.palette.empty()) {
            png_color_16 background = {};
            png_set_bKGD(png, info, &background);
        }
    }
    png_write_info(png, info);
    if (pic.depth < 8) png_set_packing(png);
    png_write_image(png, rowPointers.data());
    if (opt.ancillary) png_set_text(png, info, texts + 1, 1);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct Reader {
    const Bytes* data;
    size_t pos;
};
void ReadFromVector(png_structp png, png_bytep out, png_size_t size) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (size > r->data->size() - r->pos) png_error(png, "read past the end");
    std::memcpy(out, r->data->data() + r->pos, size);
    r->pos += size;
}

// What libpng reads: one value per sample, the palette chunk as it is.
struct Reference {
    bool ok = false;
    uint32_t width = 0, height = 0;
    int depth = 0;
    std::vector<uint16_t> samples;
    std::vector<png_color> palette;
};

Reference DecodeWithLibpng(const Bytes& file) {
    Reference ref;
    Reader reader{&file, 0};
    std::vector<Bytes> rows;
    std::vector<png_bytep> rowPointers;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, SilentWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        ADD_FAILURE() << "libpng could not read the picture";
        return ref;
    }
    png_set_read_fn(png, &reader, ReadFromVector);
    png_read_info(png, info);
    ref.width = png_get_image_width(png, info);
    ref.height = png_get_image_height(png, info);
    ref.depth = png_get_bit_depth(png, info);
    const int channels = png_get_channels(png, info);
    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &plte, &count)) ref.palette.assign(plte, plte + count);
    if (ref.depth < 8) png_set_packing(png);
    png_read_update_info(png, info);
    rows.assign(ref.height, Bytes(png_get_rowbytes(png, info)));
    for (Bytes& row : rows)
        rowPointers.push_back(row.data());
    png_read_image(png, rowPointers.data());
    png_destroy_read_struct(&png, &info, nullptr);
    for (const Bytes& row : rows)
        for (uint32_t k = 0; k < ref.width * uint32_t(channels); ++k)
            ref.samples.push_back(ref.depth == 16 ? uint16_t(row[2 * k] << 8 | row[2 * k + 1])
                                                  : row[k]);
    ref.ok = true;
    return ref;
}

// ---------------------------------------------------------------------------
// Chunk surgery on finished files

struct Chunk {
    std::string type;
    Bytes data;
};

uint32_t BigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
void PutBigEndian(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

const Bytes kSignature = {137, 80, 78, 71, 13, 10, 26, 10};

std::vector<Chunk> Split(const Bytes& file) {
    std::vector<Chunk> chunks;
    size_t pos = 8;
    while (pos + 12 <= file.size()) {
        const uint32_t length = BigEndian(&file[pos]);
        chunks.push_back({std::string(file.begin() + pos + 4, file.begin() + pos + 8),
                          Bytes(file.begin() + pos + 8, file.begin() + pos + 8 + length)});
        pos += 12 + length;
    }
    return chunks;
}

Bytes Assemble(const std::vector<Chunk>& chunks, bool rightCrc = true) {
    Bytes out = kSignature;
    for (const Chunk& c : chunks) {
        PutBigEndian(out, uint32_t(c.data.size()));
        out.insert(out.end(), c.type.begin(), c.type.end());
        out.insert(out.end(), c.data.begin(), c.data.end());
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(c.type.data()), 4);
        if (!c.data.empty()) crc = crc32(crc, c.data.data(), uInt(c.data.size()));
        PutBigEndian(out, rightCrc ? uint32_t(crc) : uint32_t(crc) ^ 0x5A5A5A5Au);
    }
    return out;
}

std::vector<std::string> Types(const Bytes& file) {
    std::vector<std::string> types;
    for (const Chunk& c : Split(file))
        types.push_back(c.type);
    return types;
}

Bytes HeaderData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType = 3,
                 uint8_t interlace = 0) {
    Bytes d;
    PutBigEndian(d, width);
    PutBigEndian(d, height);
    d.insert(d.end(), {depth, colourType, 0, 0, interlace});
    return d;
}

Bytes PaletteData(size_t entries) {
    Bytes d;
    for (const png_color& c : MakePalette(entries))
        d.insert(d.end(), {c.red, c.green, c.blue});
    return d;
}

Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

// Unfiltered rows (filter byte 0) of an 8-bit picture whose pixel (x, y)
// holds (x + 3y) mod 256.
Bytes RawRows(uint32_t width, uint32_t height, uint8_t filter = 0) {
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(filter);
        for (uint32_t x = 0; x < width; ++x)
            raw.push_back(uint8_t(x + 3 * y));
    }
    return raw;
}

// A valid 8-bit palette file made by hand, as the base of hostile variants.
std::vector<Chunk> HandMade(uint32_t width = 5, uint32_t height = 4) {
    return {{"IHDR", HeaderData(width, height, 8)},
            {"PLTE", PaletteData(256)},
            {"IDAT", Deflate(RawRows(width, height))},
            {"IEND", {}}};
}

// The filter types found at the start of each row of a non-interlaced file
// with one sample per pixel.
std::set<int> FiltersUsed(const Bytes& file) {
    Bytes idat;
    uint32_t width = 0, height = 0, depth = 0;
    for (const Chunk& c : Split(file)) {
        if (c.type == "IHDR") {
            width = BigEndian(&c.data[0]);
            height = BigEndian(&c.data[4]);
            depth = c.data[8];
        }
        if (c.type == "IDAT") idat.insert(idat.end(), c.data.begin(), c.data.end());
    }
    const size_t rowBytes = (size_t(width) * depth + 7) / 8;
    uLongf size = uLongf((rowBytes + 1) * height);
    Bytes raw(size);
    EXPECT_EQ(uncompress(raw.data(), &size, idat.data(), uLong(idat.size())), Z_OK);
    std::set<int> used;
    for (uint32_t y = 0; y < height; ++y)
        used.insert(raw[y * (rowBytes + 1)]);
    return used;
}

// ---------------------------------------------------------------------------
// Comparison

TPNGImage Decode(const Bytes& file) {
    TPNGImage image;
    image.LoadFromStream(file.data(), file.size());
    return image;
}

bool Aborts(const Bytes& file) {
    TPNGImage image;
    const bool loaded = image.LoadFromStream(file.data(), file.size());
    EXPECT_EQ(loaded, !image.Empty());
    EXPECT_EQ(loaded, !image.Pixels.empty());
    return !loaded;
}

int BitmapBits(int depth) {
    return depth == 1 ? 1 : depth <= 4 ? 4 : 8;
}

// Every pixel's palette index must be libpng's sample (the high byte of a
// 16-bit one) and the palette must be the file's, entry by entry.
void ExpectSameAsReference(const TPNGImage& image, const Reference& ref,
                           const std::vector<png_color>& palette) {
    ASSERT_TRUE(ref.ok);
    ASSERT_FALSE(image.Empty());
    ASSERT_EQ(image.Width, ref.width);
    ASSERT_EQ(image.Height, ref.height);
    ASSERT_EQ(image.BitsPerPixel, BitmapBits(ref.depth));
    EXPECT_EQ(image.Stride % 4, 0u);
    EXPECT_GE(image.Stride * 8, size_t(image.Width) * image.BitsPerPixel);
    ASSERT_EQ(image.Pixels.size(), image.Stride * image.Height);
    ASSERT_EQ(image.Palette.size(), palette.size());
    for (size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(image.Palette[i].Red, palette[i].red) << "entry " << i;
        EXPECT_EQ(image.Palette[i].Green, palette[i].green) << "entry " << i;
        EXPECT_EQ(image.Palette[i].Blue, palette[i].blue) << "entry " << i;
    }
    for (uint32_t y = 0; y < ref.height; ++y)
        for (uint32_t x = 0; x < ref.width; ++x) {
            const uint16_t sample = ref.samples[size_t(y) * ref.width + x];
            const int expected = ref.depth == 16 ? sample >> 8 : sample;
            ASSERT_EQ(image.PixelIndex(x, y), expected) << "pixel " << x << ", " << y;
        }
}

void ExpectDecodesLikeLibpng(const Bytes& file) {
    const Reference ref = DecodeWithLibpng(file);
    ExpectSameAsReference(Decode(file), ref, ref.palette);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------------------
// Pictures written by libpng

struct FilterCase {
    int depth;
    int filters; // libpng's filter mask
    int value;   // the filter type every row must then carry, -1 for a mix
    uint32_t width;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << "depth " << c.depth << ", width " << c.width << ", filter " << c.value;
}

class PngFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(PngFilters, PaletteImageDecodesLikeLibpng) {
    const FilterCase& c = GetParam();
    const size_t entries = size_t(1) << std::min(c.depth, 8);
    const Picture pic = MakePicture(c.width, 23, c.depth, PNG_COLOR_TYPE_PALETTE, entries);
    EncodeOptions opt;
    opt.filters = c.filters;
    const Bytes file = EncodeWithLibpng(pic, opt);
    const std::set<int> used = FiltersUsed(file);
    if (c.value >= 0) {
        EXPECT_EQ(used, std::set<int>{c.value});
    } else {
        EXPECT_GE(used.size(), 2u) << "libpng chose a single filter";
    }
    ExpectDecodesLikeLibpng(file);
}

std::vector<FilterCase> AllFilterCases() {
    const int masks[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                         PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    std::vector<FilterCase> cases;
    for (int depth : {1, 2, 4, 8})
        for (uint32_t width : {3u, 13u, 64u})
            for (int i = 0; i < 6; ++i)
                cases.push_back({depth, masks[i], i < 5 ? i : -1, width});
    return cases;
}

std::string FilterCaseName(const testing::TestParamInfo<FilterCase>& info) {
    static const char* names[] = {"None", "Sub", "Up", "Average", "Paeth"};
    const FilterCase& c = info.param;
    return "depth" + std::to_string(c.depth) + "_width" + std::to_string(c.width) + "_" +
           (c.value >= 0 ? names[c.value] : "Mixed");
}

INSTANTIATE_TEST_SUITE_P(EveryDepthAndFilter, PngFilters, testing::ValuesIn(AllFilterCases()),
                         FilterCaseName);

// libpng filters only rows with a left neighbour, so the narrowest rows are
// filtered here by hand, the way the PNG format defines it, and read back by
// libpng as the reference.
Bytes FilterRows(const Bytes& unfiltered, size_t rowBytes, size_t distance, uint8_t filter) {
    Bytes out;
    const Bytes zeros(rowBytes, 0);
    for (size_t start = 0; start < unfiltered.size(); start += rowBytes) {
        const uint8_t* row = &unfiltered[start];
        const uint8_t* up = start ? row - rowBytes : zeros.data();
        out.push_back(filter);
        for (size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= distance ? row[i - distance] : 0, b = up[i];
            const int c = i >= distance ? up[i - distance] : 0;
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            const int predictor[] = {0, a, b, (a + b) / 2,
                                     pa <= pb && pa <= pc ? a
                                     : pb <= pc           ? b
                                                          : c};
            out.push_back(uint8_t(row[i] - predictor[filter]));
        }
    }
    return out;
}

TEST(PngNarrowRows, EveryFilterOnOneAndTwoPixels) {
    for (uint8_t depth : {8, 16})
        for (uint32_t width : {1u, 2u})
            for (uint8_t filter = 0; filter < 5; ++filter) {
                SCOPED_TRACE(testing::Message() << "depth " << int(depth) << ", width " << width
                                                << ", filter " << int(filter));
                const size_t rowBytes = width * depth / 8;
                Bytes pixels;
                for (size_t i = 0; i < rowBytes * 6; ++i)
                    pixels.push_back(uint8_t(i * 71 + 200));
                const Bytes file =
                    Assemble({{"IHDR", HeaderData(width, 6, depth, depth == 16 ? 0 : 3)},
                              {"PLTE", PaletteData(256)},
                              {"IDAT", Deflate(FilterRows(pixels, rowBytes, depth / 8, filter))},
                              {"IEND", {}}});
                ASSERT_EQ(FiltersUsed(file), std::set<int>{filter});
                ExpectSameAsReference(Decode(file), DecodeWithLibpng(file), MakePalette(256));
            }
}

class Png16Bit : public testing::TestWithParam<int> {};

// Sixteen-bit samples exist for grey pictures; given a palette chunk, the
// high byte of each sample becomes the palette index. Filters must reach two
// bytes back, to the same byte of the pixel on the left.
TEST_P(Png16Bit, GreyWithPaletteKeepsHighByte) {
    const int value = GetParam();
    Picture pic = MakePicture(37, 19, 16, PNG_COLOR_TYPE_GRAY, 0);
    for (size_t i = 0; i < pic.samples.size(); ++i)
        pic.samples[i] = uint16_t(pic.samples[i] * 977u + i * 31u);
    EncodeOptions opt;
    opt.filters = value >= 0 ? (PNG_FILTER_NONE << value) : PNG_ALL_FILTERS;
    const Bytes plain = EncodeWithLibpng(pic, opt);
    const std::set<int> used = FiltersUsed(plain);
    if (value >= 0) EXPECT_EQ(used, std::set<int>{value});

    std::vector<Chunk> chunks = Split(plain);
    chunks.insert(chunks.begin() + 1, {"PLTE", PaletteData(256)});
    const Bytes file = Assemble(chunks);
    ExpectSameAsReference(Decode(file), DecodeWithLibpng(plain), MakePalette(256));
}

INSTANTIATE_TEST_SUITE_P(EveryFilter, Png16Bit, testing::Values(0, 1, 2, 3, 4, -1));

TEST(PngChunks, SeveralImageDataChunksDecodeAsOneStream) {
    const Picture pic = MakePicture(50, 40, 8, PNG_COLOR_TYPE_PALETTE, 200);
    EncodeOptions opt;
    opt.idatSize = 64;
    const Bytes file = EncodeWithLibpng(pic, opt);
    const std::vector<std::string> types = Types(file);
    EXPECT_GE(std::count(types.begin(), types.end(), "IDAT"), 10);
    ExpectDecodesLikeLibpng(file);
}

TEST(PngChunks, EmptyImageDataChunksBetweenOthersAreHarmless) {
    std::vector<Chunk> chunks = HandMade(9, 6);
    const Bytes stream = chunks[2].data;
    chunks[2].data.assign(stream.begin(), stream.begin() + 5);
    chunks.insert(chunks.begin() + 3,
                  {{"IDAT", {}}, {"IDAT", Bytes(stream.begin() + 5, stream.end())}, {"IDAT", {}}});
    ExpectDecodesLikeLibpng(Assemble(chunks));
}

TEST(PngChunks, AncillaryChunksAreSkipped) {
    const Picture pic = MakePicture(30, 20, 4, PNG_COLOR_TYPE_PALETTE, 16);
    EncodeOptions opt;
    opt.ancillary = true;
    const Bytes file = EncodeWithLibpng(pic, opt);
    const std::vector<std::string> types = Types(file);
    // Extra chunks stand between the header and the image data and after it.
    const auto idat = std::find(types.begin(), types.end(), "IDAT");
    for (const char* type : {"gAMA", "tIME", "tEXt", "bKGD", "quRv"})
        EXPECT_NE(std::find(types.begin(), idat, type), idat) << type;
    EXPECT_NE(std::find(idat, types.end(), "zTXt"), types.end());
    ExpectDecodesLikeLibpng(file);
}

TEST(PngChunks, WrongChecksumsStillLoad) {
    const Picture pic = MakePicture(21, 17, 8, PNG_COLOR_TYPE_PALETTE, 100);
    EncodeOptions opt;
    opt.ancillary = true;
    const Bytes good = EncodeWithLibpng(pic, opt);
    const Bytes bad = Assemble(Split(good), false);
    ASSERT_NE(good, bad);
    ExpectSameAsReference(Decode(bad), DecodeWithLibpng(good), pic.palette);
}

TEST(PngChunks, PaletteAfterImageDataIsStillFound) {
    std::vector<Chunk> chunks = HandMade();
    std::swap(chunks[1], chunks[2]);
    const Bytes file = Assemble(chunks);
    const TPNGImage image = Decode(file);
    ASSERT_FALSE(image.Empty());
    EXPECT_EQ(image.Palette.size(), 256u);
    EXPECT_EQ(image.PixelIndex(4, 3), 4 + 9);
}

TEST(PngChunks, BytesAfterTheEndChunkAreIgnored) {
    Bytes file = Assemble(HandMade());
    const Bytes clean = file;
    file.insert(file.end(), {0xFF, 0xFF, 0xFF, 0xFF, 'I', 'D', 'A', 'T', 1, 2, 3});
    const TPNGImage a = Decode(file), b = Decode(clean);
    ASSERT_FALSE(a.Empty());
    EXPECT_EQ(a.Pixels, b.Pixels);
}

TEST(PngChunks, TypeCodesAreComparedByteForByte) {
    EXPECT_NE(TChunkClasses::Find(ChunkType("IHDR")), nullptr);
    EXPECT_NE(TChunkClasses::Find(ChunkType("PLTE")), nullptr);
    EXPECT_NE(TChunkClasses::Find(ChunkType("IDAT")), nullptr);
    EXPECT_NE(TChunkClasses::Find(ChunkType("IEND")), nullptr);
    EXPECT_EQ(TChunkClasses::Find(ChunkType("ihdr")), nullptr);
    EXPECT_EQ(TChunkClasses::Find(ChunkType("RDHI")), nullptr);
    EXPECT_NE(dynamic_cast<TChunkIDAT*>(TChunkClasses::Find(ChunkType("IDAT"))().get()), nullptr);
    EXPECT_NE(dynamic_cast<TChunkIHDR*>(TChunkClasses::Find(ChunkType("IHDR"))().get()), nullptr);

    // A header spelt in the wrong case is an unknown chunk: the file then
    // starts without a header.
    std::vector<Chunk> chunks = HandMade();
    chunks[0].type = "iHDR";
    EXPECT_TRUE(Aborts(Assemble(chunks)));
}

TEST(PngDepths, TwoBitValuesKeepTheirPaletteIndex) {
    // Four colours, one row holding 0, 1, 2, 3, 3, 2, 1 (odd width).
    Bytes raw = {0, 0x1B, 0xE4};
    const Bytes file = Assemble({{"IHDR", HeaderData(7, 1, 2)},
                                 {"PLTE", PaletteData(4)},
                                 {"IDAT", Deflate(raw)},
                                 {"IEND", {}}});
    const TPNGImage image = Decode(file);
    ASSERT_FALSE(image.Empty());
    EXPECT_EQ(image.BitsPerPixel, 4);
    const int expected[] = {0, 1, 2, 3, 3, 2, 1};
    for (uint32_t x = 0; x < 7; ++x)
        EXPECT_EQ(image.PixelIndex(x, 0), expected[x]) << x;
    EXPECT_EQ(image.ScanLine(0)[3], 0x10) << "the unused half of the last byte stays zero";
}

TEST(PngDepths, GreyPictureWithPaletteIsReadAsIndices) {
    const Picture pic = MakePicture(19, 11, 4, PNG_COLOR_TYPE_GRAY, 0);
    std::vector<Chunk> chunks = Split(EncodeWithLibpng(pic));
    chunks.insert(chunks.begin() + 1, {"PLTE", PaletteData(16)});
    const Bytes file = Assemble(chunks);
    ExpectSameAsReference(Decode(file), DecodeWithLibpng(EncodeWithLibpng(pic)), MakePalette(16));
}

// ---------------------------------------------------------------------------
// The program's own logos (drawn with ImageMagick)

TEST(PngLogos, BothLogosDecodeLikeLibpng) {
    for (const char* name : {"logo.png", "logosmall.png"}) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFile(std::string(QV_SOURCE_DIR) + "/resources/" + name);
        ASSERT_FALSE(file.empty());
        ExpectDecodesLikeLibpng(file);
    }
    const TPNGImage logo = Decode(ReadFile(std::string(QV_SOURCE_DIR) + "/resources/logo.png"));
    EXPECT_EQ(logo.Width, 120u);
    EXPECT_EQ(logo.Height, 260u);
    EXPECT_EQ(logo.BitsPerPixel, 8);
    const TPNGImage small =
        Decode(ReadFile(std::string(QV_SOURCE_DIR) + "/resources/logosmall.png"));
    EXPECT_EQ(small.Width, 32u);
    EXPECT_EQ(small.Height, 32u);
    EXPECT_EQ(small.BitsPerPixel, 8);
}

// ---------------------------------------------------------------------------
// Files the reader cannot place end in the silent abort

TEST(PngAbort, TrueColourWithoutPalette) {
    const Picture pic = MakePicture(16, 16, 8, PNG_COLOR_TYPE_RGB, 0);
    EXPECT_TRUE(Aborts(EncodeWithLibpng(pic)));
}

TEST(PngAbort, SeveralSamplesPerPixelEvenWithPalette) {
    // A suggested palette does not make colour samples indices.
    const Picture rgb = MakePicture(16, 16, 8, PNG_COLOR_TYPE_RGB, 0);
    std::vector<Chunk> chunks = Split(EncodeWithLibpng(rgb));
    chunks.insert(chunks.begin() + 1, {"PLTE", PaletteData(256)});
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    for (int type : {PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB_ALPHA}) {
        chunks = Split(EncodeWithLibpng(MakePicture(8, 8, 8, type, 0)));
        chunks.insert(chunks.begin() + 1, {"PLTE", PaletteData(256)});
        EXPECT_TRUE(Aborts(Assemble(chunks))) << type;
    }
}

TEST(PngAbort, GreyWithoutPalette) {
    EXPECT_TRUE(Aborts(EncodeWithLibpng(MakePicture(16, 16, 8, PNG_COLOR_TYPE_GRAY, 0))));
}

TEST(PngAbort, InterlacedPicture) {
    const Picture pic = MakePicture(16, 16, 8, PNG_COLOR_TYPE_PALETTE, 256);
    EncodeOptions opt;
    opt.interlace = true;
    EXPECT_TRUE(Aborts(EncodeWithLibpng(pic, opt)));
}

TEST(PngAbort, BrokenStructure) {
    const Bytes good = Assemble(HandMade());
    ASSERT_FALSE(Aborts(good));
    EXPECT_TRUE(Aborts({}));
    EXPECT_TRUE(Aborts(kSignature));
    Bytes badSignature = good;
    badSignature[1] = 'Q';
    EXPECT_TRUE(Aborts(badSignature));

    std::vector<Chunk> chunks = HandMade();
    std::swap(chunks[0], chunks[1]); // palette first
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks = HandMade();
    chunks.erase(chunks.begin() + 2); // no image data
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks = HandMade();
    chunks.erase(chunks.begin() + 1); // no palette
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks = HandMade();
    chunks.insert(chunks.begin() + 2, {"IEND", {}}); // ends before the image data
    EXPECT_TRUE(Aborts(Assemble(chunks)));
}

TEST(PngAbort, UnknownFilterType) {
    for (uint8_t filter : {5, 6, 255}) {
        std::vector<Chunk> chunks = HandMade();
        Bytes raw = RawRows(5, 4);
        raw[2 * 6] = filter; // the third row
        chunks[2].data = Deflate(raw);
        EXPECT_TRUE(Aborts(Assemble(chunks))) << int(filter);
    }
}

TEST(PngAbort, BitDepthWithoutMapping) {
    for (uint8_t depth : {0, 3, 7, 9, 32}) {
        std::vector<Chunk> chunks = HandMade();
        chunks[0].data[8] = depth;
        EXPECT_TRUE(Aborts(Assemble(chunks))) << int(depth);
    }
}

TEST(PngAbort, PaletteOfMoreThan256Entries) {
    std::vector<Chunk> chunks = HandMade();
    chunks[1].data = PaletteData(257);
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks[1].data.resize(300 * 3);
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks[1].data.resize(256 * 3 + 2); // 256 entries and two stray bytes load
    EXPECT_FALSE(Aborts(Assemble(chunks)));
}

TEST(PngAbort, EmptyPalette) {
    std::vector<Chunk> chunks = HandMade();
    for (size_t length : {0, 1, 2}) {
        chunks[1].data.assign(length, 7);
        EXPECT_TRUE(Aborts(Assemble(chunks))) << length;
    }
}

TEST(PngAbort, HeaderShorterThan13Bytes) {
    for (size_t length : {0, 4, 8, 9, 12}) {
        std::vector<Chunk> chunks = HandMade();
        chunks[0].data.resize(length);
        EXPECT_TRUE(Aborts(Assemble(chunks))) << length;
    }
}

TEST(PngAbort, ZeroOrAbsurdSize) {
    struct Size {
        uint32_t width, height;
        uint8_t depth;
    };
    const Size sizes[] = {
        {0, 4, 8},          {5, 0, 8},          {0, 0, 8},
        {0xFFFFFFFF, 1, 8}, {1, 0xFFFFFFFF, 8}, {0xFFFFFFFF, 0xFFFFFFFF, 16},
        {0x80000000, 2, 1}, {65536, 65536, 8},  {0x10000001, 0x10, 8}, // product wraps to 32 bits
        {8193, 8192, 8},    {1, 70000000, 1},   {40000000, 1, 16},
    };
    for (const Size& s : sizes) {
        std::vector<Chunk> chunks = HandMade();
        chunks[0].data = HeaderData(s.width, s.height, s.depth);
        EXPECT_TRUE(Aborts(Assemble(chunks))) << s.width << " x " << s.height;
    }
}

TEST(PngAbort, LargePictureWithinTheLimitLoads) {
    // 8192 x 8000 at 8 bits: 62.5 MB of pixels, just inside what is allowed.
    const Bytes file = Assemble({{"IHDR", HeaderData(8192, 8000, 8)},
                                 {"PLTE", PaletteData(2)},
                                 {"IDAT", Deflate(Bytes(size_t(8192 + 1) * 8000, 0))},
                                 {"IEND", {}}});
    const TPNGImage image = Decode(file);
    EXPECT_EQ(image.Width, 8192u);
    EXPECT_EQ(image.Pixels.size(), size_t(8192) * 8000);
}

TEST(PngAbort, PictureJustAboveTheLimit) {
    // 8192 x 8193 at 8 bits is one row more than 64 MB; the data is all there.
    const Bytes file = Assemble({{"IHDR", HeaderData(8192, 8193, 8)},
                                 {"PLTE", PaletteData(2)},
                                 {"IDAT", Deflate(Bytes(size_t(8192 + 1) * 8193, 0))},
                                 {"IEND", {}}});
    EXPECT_TRUE(Aborts(file));
}

TEST(PngAbort, ImageDataShorterThanThePicture) {
    // A complete zlib stream holding half the rows.
    std::vector<Chunk> chunks = HandMade(5, 8);
    chunks[2].data = Deflate(RawRows(5, 4));
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    // One byte short of the last row.
    Bytes raw = RawRows(5, 8);
    raw.pop_back();
    chunks[2].data = Deflate(raw);
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    // An empty stream and no stream at all.
    chunks[2].data = Deflate({});
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks[2].data.clear();
    EXPECT_TRUE(Aborts(Assemble(chunks)));
}

// How many bytes zlib makes of the start of a stream.
size_t InflatedSize(const Bytes& stream, size_t keep) {
    z_stream z{};
    inflateInit(&z);
    Bytes out(1 << 16);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = uInt(keep);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    inflate(&z, Z_SYNC_FLUSH);
    const size_t made = z.total_out;
    inflateEnd(&z);
    return made;
}

TEST(PngAbort, CutOrDamagedZlibStream) {
    const std::vector<Chunk> good = HandMade(40, 30);
    const Bytes stream = good[2].data;
    const size_t rawSize = RawRows(40, 30).size();
    size_t complete = 0;
    for (size_t keep = 0; keep < stream.size(); ++keep) {
        std::vector<Chunk> chunks = good;
        chunks[2].data.assign(stream.begin(), stream.begin() + keep);
        // Only the stream's checksum at its very end may go missing.
        const bool allRows = InflatedSize(stream, keep) >= rawSize;
        complete += allRows;
        EXPECT_EQ(Aborts(Assemble(chunks)), !allRows) << keep;
    }
    EXPECT_LE(complete, 5u);
    std::vector<Chunk> chunks = good;
    chunks[2].data[0] = 0x79; // not a zlib header
    EXPECT_TRUE(Aborts(Assemble(chunks)));
    chunks = good;
    chunks[2].data[2] ^= 0xC0; // an invalid block type
    EXPECT_TRUE(Aborts(Assemble(chunks)));
}

TEST(PngAbort, LengthFieldBeyondTheFile) {
    const Bytes good = Assemble(HandMade());
    // The length fields of the header (offset 8) and the palette chunk.
    const size_t plteLength = 8 + 12 + 13;
    for (uint32_t length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF4u, 5000u}) {
        for (size_t at : {size_t(8), plteLength}) {
            Bytes file = good;
            for (int i = 0; i < 4; ++i)
                file[at + i] = uint8_t(length >> (24 - 8 * i));
            EXPECT_TRUE(Aborts(file)) << length << " at " << at;
        }
    }
    // An unknown chunk claiming more than there is.
    Bytes file = kSignature;
    const Bytes rest(good.begin() + 8, good.end());
    PutBigEndian(file, 0xFFFFFFF0u);
    file.insert(file.end(), {'q', 'u', 'R', 'v'});
    file.insert(file.end(), rest.begin(), rest.end());
    EXPECT_TRUE(Aborts(file));
}

TEST(PngAbort, EveryCutOfAFileAbortsOrDecodesInFull) {
    const Picture pic = MakePicture(12, 9, 8, PNG_COLOR_TYPE_PALETTE, 64);
    EncodeOptions opt;
    opt.ancillary = true;
    opt.idatSize = 40;
    const Bytes file = EncodeWithLibpng(pic, opt);
    const TPNGImage whole = Decode(file);
    ASSERT_FALSE(whole.Empty());
    // Where the last image data chunk's data and its checksum end.
    size_t dataEnd = 0, chunkEnd = 0;
    for (size_t pos = 8; pos + 12 <= file.size();) {
        const uint32_t length = BigEndian(&file[pos]);
        if (std::memcmp(&file[pos + 4], "IDAT", 4) == 0) {
            dataEnd = pos + 8 + length;
            chunkEnd = dataEnd + 4;
        }
        pos += 12 + length;
    }
    ASSERT_LT(chunkEnd, file.size()) << "the text chunk should follow the image data";
    for (size_t size = 0; size < file.size(); ++size) {
        TPNGImage image;
        const bool loaded = image.LoadFromStream(file.data(), size);
        if (size < dataEnd) EXPECT_FALSE(loaded) << size;
        // A cut after the last image data loses nothing the reader needs.
        if (size == dataEnd || size == chunkEnd) EXPECT_TRUE(loaded) << size;
        if (loaded) {
            EXPECT_EQ(image.Pixels, whole.Pixels) << size;
        } else {
            EXPECT_TRUE(image.Empty()) << size;
        }
    }
}

TEST(PngAbort, FailureLeavesTheImageEmpty) {
    TPNGImage image;
    const Bytes good = Assemble(HandMade());
    ASSERT_TRUE(image.LoadFromStream(good.data(), good.size()));
    ASSERT_FALSE(image.Empty());
    Bytes bad = good;
    bad[0] = 0;
    EXPECT_FALSE(image.LoadFromStream(bad.data(), bad.size()));
    EXPECT_TRUE(image.Empty());
    EXPECT_TRUE(image.Pixels.empty());
    EXPECT_TRUE(image.Palette.empty());
    EXPECT_EQ(image.Height, 0u);
}

// Random damage to good files: every outcome must be either the silent abort
// or a picture whose buffers match its size; the sanitizers catch any stray
// access on the way.
TEST(PngAbort, RandomDamageNeverEscapesTheBuffers) {
    std::vector<Bytes> seeds;
    for (int depth : {1, 2, 4, 8}) {
        EncodeOptions opt;
        opt.ancillary = depth == 4;
        opt.idatSize = 100;
        seeds.push_back(EncodeWithLibpng(
            MakePicture(17, 11, depth, PNG_COLOR_TYPE_PALETTE, size_t(1) << depth), opt));
    }
    std::vector<Chunk> grey = Split(EncodeWithLibpng(MakePicture(9, 7, 16, 0, 0)));
    grey.insert(grey.begin() + 1, {"PLTE", PaletteData(256)});
    seeds.push_back(Assemble(grey));

    uint32_t seed = 2024;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % bound;
    };
    int loaded = 0, aborted = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes file = seeds[round % seeds.size()];
        const uint32_t edits = 1 + next(4);
        for (uint32_t e = 0; e < edits; ++e) {
            const size_t at = next(uint32_t(file.size()));
            switch (next(4)) {
            case 0:
                file[at] ^= uint8_t(1 << next(8));
                break;
            case 1:
                file[at] = uint8_t(next(256));
                break;
            case 2:
                file.resize(at);
                break;
            default: // damage a header field, where sizes and depth live
                if (file.size() > 33) file[16 + next(13)] = uint8_t(next(256));
                break;
            }
            if (file.empty()) break;
        }
        TPNGImage image;
        if (image.LoadFromStream(file.data(), file.size())) {
            ++loaded;
            ASSERT_EQ(image.Pixels.size(), image.Stride * image.Height);
            ASSERT_GE(image.Stride * 8, size_t(image.Width) * image.BitsPerPixel);
            ASSERT_GE(image.Palette.size(), 1u);
            ASSERT_LE(image.Palette.size(), 256u);
        } else {
            ++aborted;
            ASSERT_TRUE(image.Empty());
        }
    }
    // Both outcomes must really occur, or the damage was too mild or too wild.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(aborted, 100);
}

} // namespace
