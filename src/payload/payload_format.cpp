#include "payload/payload_format.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace payload {

const Memory HeapMemory = {std::realloc, std::free};

uint32_t GrowthStep(uint32_t compressedSize) {
    uint64_t step = (uint64_t(compressedSize) + 255) / 256 * 256;
    if (step == 0) step = 256;
    if (step > 0x7FFFFF00u) step = 0x7FFFFF00u;
    return uint32_t(step);
}

uint64_t ProjectedSize(uint64_t produced, uint64_t consumed, uint32_t inSize, uint64_t limit) {
    uint64_t whole = consumed ? produced * inSize / consumed : produced;
    whole += whole / 16;
    whole = std::max<uint64_t>(whole, produced + GrowthStep(inSize));
    whole = (whole + 255) / 256 * 256;
    return std::min(whole, limit);
}

namespace {
constexpr uint64_t kPage = 4096;

// The least a full buffer grows by: one block, or one growth step when the
// whole stream is smaller than that.
uint64_t LeastGrowth(uint32_t inSize) {
    return std::min<uint64_t>(GrowthStep(inSize), kInflateBlock);
}
} // namespace

uint64_t GrowthTarget(uint64_t produced, uint64_t consumed, uint32_t inSize, uint64_t limit) {
    const uint64_t most = std::max(produced + LeastGrowth(inSize), produced * 3);
    return std::min({ProjectedSize(produced, consumed, inSize, limit), most, limit});
}

Inflated InflatePayload(const uint8_t* in, uint32_t inSize, uint32_t first, const Memory& memory,
                        InflateWatch* watch) {
    Inflated result;
    // The inflated size must fit the 32-bit signed fields of the catalogue.
    const uint64_t limit = 0x7FFFFFFF;
    uint64_t capacity = std::min<uint64_t>(first ? first : GrowthStep(inSize), limit);

    uint8_t* buf = static_cast<uint8_t*>(memory.Grow(nullptr, size_t(capacity)));
    if (!buf) {
        result.status = InflateStatus::OutOfMemory;
        result.wanted = capacity;
        return result;
    }

    z_stream zs{};
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = inSize;
    if (inflateInit(&zs) != Z_OK) {
        memory.Release(buf);
        result.status = InflateStatus::OutOfMemory;
        return result;
    }

    uint64_t produced = 0;
    bool ended = false;
    while (!ended && result.status == InflateStatus::Ok) {
        if (watch && watch->stop) {
            result.status = InflateStatus::Stopped;
            break;
        }
        if (produced == capacity) {
            if (capacity >= limit) {
                result.status = InflateStatus::TooLarge;
                break;
            }
            // Memory too short for the whole step may still have room for
            // part of it: half the step, and half again, down to one page
            // (what the stream's last bytes may need).
            const uint64_t target = GrowthTarget(produced, zs.total_in, inSize, limit);
            const uint64_t least = produced + std::min<uint64_t>(LeastGrowth(inSize), kPage);
            uint8_t* bigger = nullptr;
            uint64_t size = target;
            while (!(bigger = static_cast<uint8_t*>(memory.Grow(buf, size_t(size)))) &&
                   size > least)
                size = std::max(least, produced + (size - produced) / 2);
            if (!bigger) {
                result.status = InflateStatus::OutOfMemory;
                result.wanted = target;
                break;
            }
            buf = bigger;
            capacity = size;
            ++result.growths;
        }
        const uint64_t room = std::min<uint64_t>(capacity - produced, kInflateBlock);
        zs.next_out = buf + produced;
        zs.avail_out = uInt(room);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        produced += room - zs.avail_out;
        if (watch) watch->consumed = uint32_t(zs.total_in);
        if (rc == Z_STREAM_END)
            ended = true;
        else if (rc == Z_BUF_ERROR && zs.avail_out != 0)
            result.status = InflateStatus::Truncated; // the input ended before the stream
        else if (rc != Z_OK && rc != Z_BUF_ERROR)
            result.status = InflateStatus::Corrupt;
    }
    inflateEnd(&zs);

    if (!ended) {
        memory.Release(buf);
        return result;
    }
    if (produced == 0) {
        memory.Release(buf);
        buf = nullptr;
    } else if (produced < capacity) {
        if (uint8_t* exact = static_cast<uint8_t*>(memory.Grow(buf, size_t(produced)))) buf = exact;
    }
    result.data = Buffer(buf, ReleaseDeleter{memory.Release});
    result.size = int32_t(produced);
    return result;
}

namespace {
uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
} // namespace

IndexStatus IndexPayload(const uint8_t* data, int32_t size, std::vector<EntryRecord>& out) {
    out.clear();
    const uint64_t end = size > 0 ? uint64_t(size) : 0;
    uint64_t p = 0;
    while (p < end) {
        const uint64_t n = data[p];
        if (p + kEntryFixedBytes + n > end) return IndexStatus::Damaged;
        EntryRecord e;
        e.name.assign(reinterpret_cast<const char*>(data + p + 1), size_t(n));
        p += 1 + n;
        std::memcpy(&e.date, data + p, 8); // bit for bit
        p += 8;
        const uint32_t s = ReadU32(data + p);
        p += 4;
        if (s > 0x7FFFFFFFu || p + s > end) return IndexStatus::Damaged;
        e.size = int32_t(s);
        e.offset = int32_t(p);
        p += s;
        out.push_back(std::move(e));
    }
    return IndexStatus::Ok;
}

void AppendEntry(std::vector<uint8_t>& out, const std::string& name, double date,
                 const uint8_t* bytes, uint32_t size) {
    out.push_back(uint8_t(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    uint8_t stamp[8];
    std::memcpy(stamp, &date, 8);
    out.insert(out.end(), stamp, stamp + 8);
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(size >> (8 * i)));
    if (size) out.insert(out.end(), bytes, bytes + size);
}

const char* Describe(InflateStatus s) {
    switch (s) {
    case InflateStatus::Ok:
        return "no error";
    case InflateStatus::Corrupt:
        return "the compressed data is corrupt";
    case InflateStatus::Truncated:
        return "the compressed data ends too early";
    case InflateStatus::OutOfMemory:
        return "not enough memory";
    case InflateStatus::TooLarge:
        return "the data is too large";
    case InflateStatus::Stopped:
        return "unpacking was stopped";
    }
    return "unknown error";
}

} // namespace payload
