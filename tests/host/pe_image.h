// A reader of the parts of a Windows program file that the native checks of
// the shipped setup.exe look at: headers, sections, imports and resources. It knows
// nothing of Windows, so the checks run on any host, with or without Wine.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace hosttest {

// A resource type or name: a number, or a string (upper case as stored).
struct ResourceId {
    uint16_t number = 0;
    std::string name; // empty for a number

    static ResourceId Number(uint16_t n) { return {n, {}}; }
    static ResourceId Name(std::string s) { return {0, std::move(s)}; }
};

class PeImage {
  public:
    struct Section {
        std::string name; // as stored: up to 8 characters, "/N" for a longer one
        uint32_t rva, size, fileOffset, fileSize;
        uint32_t characteristics;
    };

    explicit PeImage(std::vector<uint8_t> bytes);

    bool Valid() const { return valid_; }
    uint16_t Machine() const { return machine_; }
    uint16_t Characteristics() const { return characteristics_; }
    uint16_t OptionalMagic() const { return magic_; } // 0x10B PE32, 0x20B PE32+
    uint16_t Subsystem() const { return subsystem_; }
    uint16_t SubsystemMajor() const { return subsystemVersion_[0]; }
    uint16_t SubsystemMinor() const { return subsystemVersion_[1]; }
    uint16_t OsMajor() const { return osVersion_[0]; }
    uint16_t OsMinor() const { return osVersion_[1]; }
    uint32_t TimeDateStamp() const { return timeDateStamp_; }

    // One entry of the header's table of data directories: where the
    // loader finds imports, resources, the TLS directory, ... (0, 0 when
    // there is none).
    struct Directory {
        uint32_t rva = 0, size = 0;
    };
    static constexpr size_t kImportDirectory = 1, kResourceDirectory = 2, kTlsDirectory = 9,
                            kImportAddressDirectory = 12;
    Directory DataDirectory(size_t index) const;

    const std::vector<Section>& Sections() const { return sections_; }

    // "dll!function" (dll in lower case) or "dll!#ordinal" for every import.
    std::set<std::string> Imports() const;
    // Imports whose slot in the address table, which the loader fills,
    // does not name the same function as the entry of the name table.
    std::set<std::string> ImportsWhoseAddressSlotDiffers() const;

    // The bytes of the first language of a resource, if there is one.
    std::optional<std::vector<uint8_t>> Resource(const ResourceId& type,
                                                 const ResourceId& name) const;

  private:
    // File offset of a relative virtual address holding `length` bytes, or 0.
    size_t Offset(uint32_t rva, size_t length = 1) const;
    std::string String(uint32_t rva) const;
    uint16_t U16(size_t at) const;
    uint32_t U32(size_t at) const;
    uint64_t U64(size_t at) const;
    void WalkImports(std::set<std::string>& names, std::set<std::string>& differing) const;
    // The entry of a resource directory at `dir` (offset in the file) that
    // matches `id`: its raw offset field, or nothing.
    std::optional<uint32_t> FindEntry(size_t resourceBase, size_t dir, const ResourceId& id) const;

    std::vector<uint8_t> bytes_;
    bool valid_ = false;
    uint16_t machine_ = 0, characteristics_ = 0, magic_ = 0, subsystem_ = 0;
    uint16_t subsystemVersion_[2] = {}, osVersion_[2] = {};
    uint32_t timeDateStamp_ = 0;
    std::vector<Directory> directories_;
    uint32_t importRva_ = 0, resourceRva_ = 0;
    std::vector<Section> sections_;
};

} // namespace hosttest
