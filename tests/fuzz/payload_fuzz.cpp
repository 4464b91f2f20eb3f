// libFuzzer target: the payload's inflate-and-index code and the check of
// entry names, fed the bytes of a damaged or hostile payload resource.
#include "payload/entry_names.h"
#include "payload/payload_format.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
// Reads every byte an index claims, so that the sanitizers see an entry
// that points outside the buffer.
unsigned TouchEntries(const uint8_t* data, int32_t size,
                      const std::vector<payload::EntryRecord>& entries) {
    unsigned sum = 0;
    for (const auto& e : entries) {
        if (e.offset < 0 || e.size < 0 || int64_t(e.offset) + e.size > size) __builtin_trap();
        for (int32_t i = 0; i < e.size; ++i)
            sum += data[e.offset + i];
        sum += payload::IsSafeEntryName(e.name) ? 1 : 0;
    }
    return sum;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    std::vector<payload::EntryRecord> entries;

    // The input as inflated data: the indexer on its own.
    if (payload::IndexPayload(data, int32_t(size), entries) == payload::IndexStatus::Ok)
        TouchEntries(data, int32_t(size), entries);

    // The input as the resource: inflated with the catalogue's estimate.
    payload::Inflated inflated = payload::InflatePayload(data, uint32_t(size), uint32_t(size) * 5);
    if (inflated.status != payload::InflateStatus::Ok) {
        if (inflated.data || inflated.size != 0) __builtin_trap();
        return 0;
    }
    if (inflated.size < 0 || (inflated.size > 0) != bool(inflated.data)) __builtin_trap();
    if (payload::IndexPayload(inflated.data.get(), inflated.size, entries) ==
        payload::IndexStatus::Ok)
        TouchEntries(inflated.data.get(), inflated.size, entries);
    return 0;
}
