// The logo reader: a reduced PNG decoder for the wizard's two pictures.
//
// It handles what the logos need, non-interlaced images with one sample per
// pixel (palette, or grey with a palette chunk), and turns them into the
// pixels of a palette bitmap:
//
//   bit depth   bitmap bits per pixel   pixel values
//   1           1                       as stored
//   2           4                       each 2-bit value v becomes the nibble v
//   4           4                       as stored
//   8           8                       as stored
//   16          8                       the high byte of each sample
//
// The palette is the PLTE chunk, one entry per three bytes. Anything else
// (a damaged file, a missing chunk, a size the reader cannot place) ends in a
// silent abort: LoadFromStream returns false and the image stays empty.
// So does memory that is not there: every allocation is checked. Chunk
// CRCs are never checked. This file knows nothing of Windows so that it
// also builds natively.
#pragma once

#include "image/checked_array.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct TPaletteEntry {
    uint8_t Red = 0, Green = 0, Blue = 0;
};

// The decoded picture. Rows run from top to bottom, each Stride bytes long (a
// multiple of 4, as in a Windows DIB), pixels packed from the high bits down.
class TPNGImage {
  public:
    // Pixel memory above this is refused rather than allocated.
    static constexpr size_t kMaxPixelBytes = 64u << 20;

    bool LoadFromStream(const uint8_t* data, size_t size);
    void Clear();
    bool Empty() const { return Width == 0; }
    const uint8_t* ScanLine(uint32_t y) const { return Pixels.data() + size_t(y) * Stride; }
    uint8_t* ScanLine(uint32_t y) { return Pixels.data() + size_t(y) * Stride; }
    // The palette index of one pixel (for tests and checks).
    uint8_t PixelIndex(uint32_t x, uint32_t y) const;

    uint32_t Width = 0;
    uint32_t Height = 0;
    int BitsPerPixel = 0; // 1, 4 or 8
    size_t Stride = 0;
    TCheckedArray<TPaletteEntry> Palette;
    TCheckedArray<uint8_t> Pixels;
};

// Chunk type codes: the four bytes as they stand in the file, read as one
// 32-bit value (first byte lowest).
constexpr uint32_t ChunkType(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
           uint32_t(uint8_t(name[2])) << 16 | uint32_t(uint8_t(name[3])) << 24;
}

class TChunkList;

// One chunk read from the file. Only the image data chunk does any work when
// the list is processed; the others are read by it.
class TChunk {
  public:
    virtual ~TChunk() = default;
    // False aborts the load.
    virtual bool Process() { return true; }

    uint32_t Type = 0;
    TCheckedArray<uint8_t> Data;
    TChunkList* List = nullptr;
};

class TChunkIHDR : public TChunk {
  public:
    static constexpr size_t kSize = 13;
    // All fields read below need the full 13 bytes; check this first.
    bool Complete() const { return Data.size() >= kSize; }
    uint32_t Width() const { return BigEndian(0); }
    uint32_t Height() const { return BigEndian(4); }
    uint8_t BitDepth() const { return Data[8]; }
    uint8_t ColourType() const { return Data[9]; }
    uint8_t Interlace() const { return Data[12]; }

  private:
    uint32_t BigEndian(size_t at) const {
        return uint32_t(Data[at]) << 24 | uint32_t(Data[at + 1]) << 16 |
               uint32_t(Data[at + 2]) << 8 | Data[at + 3];
    }
};

class TChunkPLTE : public TChunk {
  public:
    size_t Count() const { return Data.size() / 3; }
    TPaletteEntry Entry(size_t i) const { return {Data[3 * i], Data[3 * i + 1], Data[3 * i + 2]}; }
};

// The image data. Later IDAT chunks of a file are appended to the first one,
// so this holds the whole zlib stream.
class TChunkIDAT : public TChunk {
  public:
    bool Process() override;
};

class TChunkIEND : public TChunk {};

// The chunks of one image in file order, and the image they build.
class TChunkList {
  public:
    explicit TChunkList(TPNGImage& image) : Image(image) {}
    TChunkList(const TChunkList&) = delete;
    TChunkList& operator=(const TChunkList&) = delete;
    ~TChunkList();
    // The chunk as the list holds it; null (and the chunk freed) when the
    // list cannot grow.
    TChunk* Add(std::unique_ptr<TChunk> chunk);
    TChunk* First() const { return Items.empty() ? nullptr : Items[0]; }
    TChunk* Find(uint32_t type) const;
    size_t Count() const { return Items.size(); }
    bool ProcessAll();

    TPNGImage& Image;

  private:
    TCheckedArray<TChunk*> Items; // owned
};

// The chunk kinds the reader knows, by type code; every other type is skipped.
class TChunkClasses {
  public:
    // A factory returns null when the memory is not there.
    using Factory = std::unique_ptr<TChunk> (*)();
    // Null for an unknown type.
    static Factory Find(uint32_t type);
};
