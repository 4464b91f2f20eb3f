// The payload: one zlib stream whose inflated bytes are a packed run of
// entries, with no header, no count and no padding.
//
//   offset      size  field
//   0           1     name length n (0..255)
//   1           n     name, ANSI, "\" between folders, no terminator
//   1 + n       8     time stamp, little-endian IEEE-754 double
//                     (days since 1899-12-30, fraction = local time of day)
//   9 + n       4     data size s, little-endian, below 2^31
//   13 + n      s     the file's bytes
//
// The next entry starts at 13 + n + s; the last one ends exactly at the end.
// This file knows nothing of Windows so that it also builds natively.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace payload {

constexpr size_t kEntryFixedBytes = 13; // length byte + stamp + size

// Where the inflated bytes live. Grow follows realloc's contract (a null
// block asks for a new one, a block that cannot grow is left as it was);
// Release gives a block back.
struct Memory {
    void* (*Grow)(void* block, size_t size);
    void (*Release)(void* block);
};
// The C heap: realloc and free.
extern const Memory HeapMemory;

struct ReleaseDeleter {
    void (*release)(void*) = std::free;
    void operator()(uint8_t* p) const { release(p); }
};
using Buffer = std::unique_ptr<uint8_t, ReleaseDeleter>;

enum class InflateStatus { Ok, Corrupt, Truncated, OutOfMemory, TooLarge, Stopped };

struct Inflated {
    InflateStatus status = InflateStatus::Ok;
    Buffer data; // exactly `size` bytes (null when size is 0)
    int32_t size = 0;
    uint32_t growths = 0; // how often the buffer had to grow past the first block
    // OutOfMemory: the size the buffer was to grow to when no memory came,
    // not even for one more block.
    uint64_t wanted = 0;
};

// An inflate as another thread sees it: how far it has come, and a request
// to end it early.
struct InflateWatch {
    std::atomic<uint32_t> consumed{0}; // compressed bytes read so far
    std::atomic<bool> stop{false};     // ends the inflate at its next block (Stopped)
};

// The most bytes one call of zlib produces: a stop request and the progress
// are seen at least that often, and a buffer grows by that much at least
// (or by one growth step, when that is less) unless memory is short.
constexpr uint32_t kInflateBlock = 1u << 20;

// Growth step: the compressed byte count rounded up to a multiple of 256.
uint32_t GrowthStep(uint32_t compressedSize);

// What the whole stream will inflate to if the rest inflates as the
// `consumed` bytes of `inSize` read so far did into `produced` bytes, a
// sixteenth more for the rest's own ratio, and at least one growth step
// more; rounded up to 256 and at most `limit`.
uint64_t ProjectedSize(uint64_t produced, uint64_t consumed, uint32_t inSize, uint64_t limit);

// The size a full buffer of `produced` bytes grows to: the projection, but
// never more than three times what is there (a stream's start may promise
// far more than its end gives) and at least one block more; at most `limit`.
uint64_t GrowthTarget(uint64_t produced, uint64_t consumed, uint32_t inSize, uint64_t limit);

// Inflates a whole zlib stream in one pass into one buffer taken from
// `memory`, first of `first` bytes (0 stands for one growth step), grown
// toward GrowthTarget whenever it is full, then shrunk to the bytes
// produced. A growth that memory refuses is tried again with half the step,
// down to one page. `watch`, if given, follows the inflate and may stop it.
Inflated InflatePayload(const uint8_t* in, uint32_t inSize, uint32_t first,
                        const Memory& memory = HeapMemory, InflateWatch* watch = nullptr);

struct EntryRecord {
    std::string name;
    double date = 0;
    int32_t size = 0;
    int32_t offset = 0; // first data byte within the inflated buffer
};

enum class IndexStatus { Ok, Damaged };

// Splits the inflated bytes into entries. Refuses (Damaged) an entry whose
// header or data would run past the end instead of reading beyond it.
IndexStatus IndexPayload(const uint8_t* data, int32_t size, std::vector<EntryRecord>& out);

// Appends one entry in the format above (used by the packer and by tests).
void AppendEntry(std::vector<uint8_t>& out, const std::string& name, double date,
                 const uint8_t* bytes, uint32_t size);

const char* Describe(InflateStatus s);

} // namespace payload
