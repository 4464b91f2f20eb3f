#include "payload/reserved_memory.h"

#include <windows.h>

#include <cstring>

namespace {
constexpr size_t kPage = 4096;

size_t RoundUpToPage(size_t n) {
    return (n + kPage - 1) / kPage * kPage;
}

// The bytes committed from the start of a block.
size_t Committed(void* block) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(block, &info, sizeof info) || info.State != MEM_COMMIT) return 0;
    return info.RegionSize;
}

// The bytes reserved for a block, committed or not.
size_t Reserved(void* block) {
    auto* base = static_cast<uint8_t*>(block);
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    while (VirtualQuery(base + total, &info, sizeof info) && info.AllocationBase == block &&
           info.State != MEM_FREE)
        total += info.RegionSize;
    return total;
}

void Release(void* block) {
    VirtualFree(block, 0, MEM_RELEASE);
}

void* Grow(void* block, size_t size) {
    const size_t needed = RoundUpToPage(size ? size : 1);
    if (!block) {
        // Room for eight times the first block (the catalogue's first block
        // is the compressed size; products compress by far less), or as much
        // of it as the address space of a 32-bit process still has.
        const size_t most = size_t(-1) / 8 > needed ? needed * 8 : needed;
        for (size_t room = most;; room = room / 2 > needed ? RoundUpToPage(room / 2) : needed) {
            if (void* base = VirtualAlloc(nullptr, room, MEM_RESERVE, PAGE_READWRITE)) {
                if (VirtualAlloc(base, needed, MEM_COMMIT, PAGE_READWRITE)) return base;
                Release(base);
                return nullptr;
            }
            if (room == needed) return nullptr;
        }
    }
    const size_t committed = Committed(block);
    if (needed <= committed) {
        if (needed < committed)
            VirtualFree(static_cast<uint8_t*>(block) + needed, committed - needed, MEM_DECOMMIT);
        return block;
    }
    if (needed <= Reserved(block))
        return VirtualAlloc(block, needed, MEM_COMMIT, PAGE_READWRITE) ? block : nullptr;
    // Beyond the reservation: a new one, and the bytes copied over.
    void* moved = Grow(nullptr, size);
    if (!moved) return nullptr;
    std::memcpy(moved, block, committed);
    Release(block);
    return moved;
}
} // namespace

const payload::Memory ReservedMemory = {Grow, Release};
