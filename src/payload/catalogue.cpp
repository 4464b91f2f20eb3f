#include "payload/catalogue.h"

#include "base/locale_text.h"
#include "payload/components.h"
#include "payload/reserved_memory.h"
#include "payload/temp_files.h"

#include <windows.h>

TAttachedFiles* Catalogue = nullptr;

TAttachedFiles::~TAttachedFiles() {
    CleanTempFiles();
}

const TAttachedFile* TAttachedFiles::FindFile(const std::string& name) const {
    for (auto it = Files_.rbegin(); it != Files_.rend(); ++it)
        if (SameAnsiName(it->Name, name)) return &*it;
    return nullptr;
}

bool LoadPayloadResource(const char* name, const char* type, const uint8_t*& data, uint32_t& size) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(self, name, type);
    if (!res) return false;
    size = SizeofResource(self, res);
    HGLOBAL loaded = LoadResource(self, res);
    data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    return data != nullptr || size == 0;
}

bool TAttachedFiles::LoadFromResource(std::string& error, payload::InflateWatch* watch) {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!LoadPayloadResource("FILES", "FILES", data, size)) {
        error = "the product files are missing";
        return false;
    }
    return LoadFromBytes(data, size, error, nullptr, watch);
}

bool TAttachedFiles::LoadFromBytes(const uint8_t* data, uint32_t size, std::string& error,
                                   const payload::Memory* memory, payload::InflateWatch* watch) {
    // The first block is the compressed size: a payload that compresses at
    // all inflates to more, so start-up never asks for memory it will not
    // use; the buffer grows in place as it fills.
    payload::Inflated inflated = payload::InflatePayload(data, size, payload::GrowthStep(size),
                                                         memory ? *memory : ReservedMemory, watch);
    MemoryNeeded_ = inflated.status == payload::InflateStatus::OutOfMemory ? inflated.wanted : 0;
    if (inflated.status != payload::InflateStatus::Ok) {
        error = payload::Describe(inflated.status);
        return false;
    }
    std::vector<payload::EntryRecord> records;
    if (payload::IndexPayload(inflated.data.get(), inflated.size, records) !=
        payload::IndexStatus::Ok) {
        error = "an entry runs past the end of the data";
        return false;
    }
    Buffer_ = std::move(inflated.data);
    BufferSize_ = inflated.size;
    Files_.clear();
    Files_.reserve(records.size());
    for (auto& r : records)
        Files_.push_back({std::move(r.name), r.size, r.date, r.offset});
    return true;
}
