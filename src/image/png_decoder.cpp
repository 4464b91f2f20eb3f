#include "image/png_decoder.h"

#include <zlib.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr uint32_t kIHDR = ChunkType("IHDR");
constexpr uint32_t kPLTE = ChunkType("PLTE");
constexpr uint32_t kIDAT = ChunkType("IDAT");
constexpr uint32_t kIEND = ChunkType("IEND");
constexpr uint8_t kColourGrey = 0;
constexpr uint8_t kColourPalette = 3;

template <class T> std::unique_ptr<TChunk> Make() {
    return std::unique_ptr<TChunk>(new (std::nothrow) T);
}

struct TChunkClass {
    uint32_t Type;
    TChunkClasses::Factory Create;
};

// Constant-initialised, so the table is complete before any code runs.
constexpr TChunkClass kChunkClasses[] = {
    {kIEND, &Make<TChunkIEND>},
    {kIHDR, &Make<TChunkIHDR>},
    {kIDAT, &Make<TChunkIDAT>},
    {kPLTE, &Make<TChunkPLTE>},
};

uint32_t ReadBigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t ReadType(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Splits the file into chunks. False on anything that does not hold together,
// or when memory is short; a length field is never trusted beyond the bytes
// that are really there.
bool ReadChunks(const uint8_t* data, size_t size, TChunkList& list) {
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return false;
    size_t pos = sizeof kSignature;
    TChunk* idat = nullptr;
    while (pos < size) {
        if (size - pos < 8) return false;
        const uint32_t length = ReadBigEndian(data + pos);
        const uint32_t type = ReadType(data + pos + 4);
        pos += 8;
        if (length > 0x7FFFFFFFu || length > size - pos) return false;
        const uint8_t* body = data + pos;
        // The CRC follows the data; it is skipped unread, and a file that
        // stops inside it simply ends there.
        pos += length;
        pos = size - pos < 4 ? size : pos + 4;

        TChunkClasses::Factory create = TChunkClasses::Find(type);
        if (!create) continue;
        if (type == kIDAT && idat) {
            if (!idat->Data.Append(body, length)) return false;
            continue;
        }
        std::unique_ptr<TChunk> chunk = create();
        if (!chunk) return false;
        chunk->Type = type;
        if (!chunk->Data.Append(body, length)) return false;
        TChunk* added = list.Add(std::move(chunk));
        if (!added) return false;
        if (type == kIDAT) idat = added;
        if (type == kIEND) break;
    }
    return list.Count() > 0 && list.First()->Type == kIHDR && idat;
}

// Undoes one row's filter in place. `distance` is the byte distance to the
// pixel on the left; `prev` is the row above, all zeros for the first row.
bool Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n, size_t distance) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = distance; i < n; ++i)
            row[i] = uint8_t(row[i] + row[i - distance]);
        return true;
    case 2:
        for (size_t i = 0; i < n; ++i)
            row[i] = uint8_t(row[i] + prev[i]);
        return true;
    case 3:
        for (size_t i = 0; i < n; ++i) {
            const unsigned left = i >= distance ? row[i - distance] : 0;
            row[i] = uint8_t(row[i] + ((left + prev[i]) >> 1));
        }
        return true;
    case 4:
        for (size_t i = 0; i < n; ++i) {
            const int a = i >= distance ? row[i - distance] : 0;
            const int b = prev[i];
            const int c = i >= distance ? prev[i - distance] : 0;
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            const int predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            row[i] = uint8_t(row[i] + predictor);
        }
        return true;
    default:
        return false;
    }
}

// Puts one unfiltered row into the bitmap's scan line.
void StoreRow(const uint8_t* row, size_t rowBytes, uint8_t* line, uint32_t width, int depth) {
    switch (depth) {
    case 2:
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned v = (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
            line[x / 2] |= uint8_t(x % 2 ? v : v << 4);
        }
        break;
    case 16:
        for (uint32_t x = 0; x < width; ++x)
            line[x] = row[2 * size_t(x)];
        break;
    default: // 1, 4 and 8 bits are already the bitmap's layout
        std::memcpy(line, row, rowBytes);
        break;
    }
}

struct Inflater {
    z_stream Stream{};
    bool Open = false;
    ~Inflater() {
        if (Open) inflateEnd(&Stream);
    }
    // Fills `out` completely; false when the stream is damaged or ends first.
    bool Read(uint8_t* out, size_t n) {
        Stream.next_out = out;
        Stream.avail_out = uInt(n);
        while (Stream.avail_out > 0) {
            const int rc = inflate(&Stream, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) return Stream.avail_out == 0;
            if (rc != Z_OK) return false; // corrupt, or no input left (Z_BUF_ERROR)
        }
        return true;
    }
};

} // namespace

TChunkClasses::Factory TChunkClasses::Find(uint32_t type) {
    for (const TChunkClass& c : kChunkClasses)
        if (c.Type == type) return c.Create;
    return nullptr;
}

TChunkList::~TChunkList() {
    for (TChunk* c : Items)
        delete c;
}

TChunk* TChunkList::Add(std::unique_ptr<TChunk> chunk) {
    chunk->List = this;
    if (!Items.Append(chunk.get())) return nullptr;
    return chunk.release();
}

TChunk* TChunkList::Find(uint32_t type) const {
    for (TChunk* c : Items)
        if (c->Type == type) return c;
    return nullptr;
}

bool TChunkList::ProcessAll() {
    for (TChunk* c : Items)
        if (!c->Process()) return false;
    return true;
}

bool TChunkIDAT::Process() {
    // The reader made sure the list starts with the header.
    const auto& header = static_cast<const TChunkIHDR&>(*List->First());
    if (!header.Complete()) return false;
    const uint32_t width = header.Width(), height = header.Height();
    const int depth = header.BitDepth();
    int bitsPerPixel;
    switch (depth) {
    case 1:
        bitsPerPixel = 1;
        break;
    case 2:
    case 4:
        bitsPerPixel = 4;
        break;
    case 8:
    case 16:
        bitsPerPixel = 8;
        break;
    default:
        return false;
    }
    // Only one sample per pixel, stored row after row, can be placed.
    if (header.ColourType() != kColourPalette && header.ColourType() != kColourGrey) return false;
    if (header.Interlace() != 0) return false;
    if (width == 0 || height == 0) return false;

    // Sizes in 64 bits: width and height come from the file and may be up
    // to 2^32 - 1 each.
    const uint64_t rowBytes = (uint64_t(width) * depth + 7) / 8;
    const uint64_t stride = (uint64_t(width) * bitsPerPixel + 31) / 32 * 4;
    const uint64_t buffers = 2 * (rowBytes + 1);
    if (stride > TPNGImage::kMaxPixelBytes / height ||
        stride * height + buffers > TPNGImage::kMaxPixelBytes)
        return false;

    // Deflate expands by at most 1032 to 1: image data too short to fill
    // every row is refused before the pixel memory is taken for it.
    if (uint64_t(height) * (rowBytes + 1) > (uint64_t(Data.size()) + 1) * 1032) return false;

    const auto* plte = static_cast<const TChunkPLTE*>(List->Find(kPLTE));
    if (!plte || plte->Count() == 0 || plte->Count() > 256) return false;
    if (Data.size() > UINT_MAX) return false;

    TPNGImage& image = List->Image;
    image.Width = width;
    image.Height = height;
    image.BitsPerPixel = bitsPerPixel;
    image.Stride = size_t(stride);
    if (!image.Palette.Assign(plte->Count())) return false;
    for (size_t i = 0; i < plte->Count(); ++i)
        image.Palette[i] = plte->Entry(i);
    if (!image.Pixels.Assign(size_t(stride * height))) return false;

    Inflater inflater;
    if (inflateInit(&inflater.Stream) != Z_OK) return false;
    inflater.Open = true;
    inflater.Stream.next_in = Data.data();
    inflater.Stream.avail_in = uInt(Data.size());

    // The left neighbour of a byte is the same byte of the pixel before,
    // which for 16-bit samples lies two bytes back.
    const size_t distance = depth == 16 ? 2 : 1;
    TCheckedArray<uint8_t> previous, current;
    if (!previous.Assign(size_t(rowBytes) + 1) || !current.Assign(size_t(rowBytes) + 1))
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        if (!inflater.Read(current.data(), current.size())) return false;
        if (!Unfilter(current[0], current.data() + 1, previous.data() + 1, size_t(rowBytes),
                      distance))
            return false;
        StoreRow(current.data() + 1, size_t(rowBytes), image.ScanLine(y), width, depth);
        current.swap(previous);
    }
    return true;
}

void TPNGImage::Clear() {
    *this = TPNGImage();
}

bool TPNGImage::LoadFromStream(const uint8_t* data, size_t size) {
    Clear();
    TPNGImage result;
    {
        TChunkList list(result);
        if (!ReadChunks(data, size, list) || !list.ProcessAll()) return false;
    }
    *this = std::move(result);
    return true;
}

uint8_t TPNGImage::PixelIndex(uint32_t x, uint32_t y) const {
    const uint8_t* line = ScanLine(y);
    switch (BitsPerPixel) {
    case 1:
        return (line[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (line[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    default:
        return line[x];
    }
}
