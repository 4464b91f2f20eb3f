// The payload catalogue: the whole payload inflated once into memory and
// indexed, one TAttachedFile per stored file. Every file the setup writes
// comes straight out of this buffer.
#pragma once

#include "payload/payload_format.h"

#include <cstdint>
#include <string>
#include <vector>

struct TAttachedFile {
    std::string Name;
    int32_t Size = 0;
    double Date = 0; // bit for bit as stored
    int32_t Offset = 0;
};

class TAttachedFiles {
public:
    TAttachedFiles() = default;
    ~TAttachedFiles();
    TAttachedFiles(const TAttachedFiles&) = delete;
    TAttachedFiles& operator=(const TAttachedFiles&) = delete;

    // Finds, inflates and indexes the "FILES" resource of the program's own
    // module. On failure `error` says why, in words for the user.
    bool LoadFromResource(std::string& error);
    // The same from bytes already in memory (a zlib stream).
    bool LoadFromBytes(const uint8_t* data, uint32_t size, std::string& error);

    const uint8_t* Buffer() const { return Buffer_.get(); }
    int32_t BufferSize() const { return BufferSize_; }
    const std::vector<TAttachedFile>& Files() const { return Files_; }
    // Bytes of one entry, inside Buffer().
    const uint8_t* Data(const TAttachedFile& f) const { return Buffer_.get() + f.Offset; }

private:
    payload::Buffer Buffer_;
    int32_t BufferSize_ = 0;
    std::vector<TAttachedFile> Files_;
};

// Gives a read-only view of a resource of the program's own module.
bool LoadPayloadResource(const char* name, const char* type, const uint8_t*& data, uint32_t& size);

// The one catalogue of the run, created at start-up before any window.
extern TAttachedFiles* Catalogue;
