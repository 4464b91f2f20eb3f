#include "pe_image.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace hosttest {

namespace {
constexpr uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
} // namespace

uint16_t PeImage::U16(size_t at) const {
    return at + 2 <= bytes_.size() ? uint16_t(bytes_[at] | bytes_[at + 1] << 8) : 0;
}

uint32_t PeImage::U32(size_t at) const {
    return at + 4 <= bytes_.size() ? uint32_t(U16(at)) | uint32_t(U16(at + 2)) << 16 : 0;
}

uint64_t PeImage::U64(size_t at) const {
    return uint64_t(U32(at)) | uint64_t(U32(at + 4)) << 32;
}

PeImage::PeImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    if (U16(0) != 0x5A4D) return; // "MZ"
    const size_t pe = U32(0x3C);
    if (pe + 24 > bytes_.size() || U32(pe) != kPeSignature) return;
    const size_t file = pe + 4;
    machine_ = U16(file);
    const uint16_t sectionCount = U16(file + 2);
    timeDateStamp_ = U32(file + 4);
    const uint16_t optionalSize = U16(file + 16);
    characteristics_ = U16(file + 18);
    const size_t opt = file + 20;
    magic_ = U16(opt);
    if (magic_ != kPe32 && magic_ != kPe32Plus) return;
    osVersion_[0] = U16(opt + 40);
    osVersion_[1] = U16(opt + 42);
    subsystemVersion_[0] = U16(opt + 48);
    subsystemVersion_[1] = U16(opt + 50);
    subsystem_ = U16(opt + 68);
    // The data directories follow the fields whose width depends on the kind.
    const size_t dirs = opt + (magic_ == kPe32 ? 96 : 112);
    const uint32_t dirCount = U32(dirs - 4);
    for (uint32_t i = 0; i < dirCount && i < 16; ++i)
        directories_.push_back({U32(dirs + 8 * i), U32(dirs + 8 * i + 4)});
    importRva_ = DataDirectory(kImportDirectory).rva;
    resourceRva_ = DataDirectory(kResourceDirectory).rva;
    const size_t sections = opt + optionalSize;
    if (sections + size_t(sectionCount) * 40 > bytes_.size()) return;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const size_t s = sections + size_t(i) * 40;
        const char* name = reinterpret_cast<const char*>(&bytes_[s]);
        sections_.push_back({std::string(name, strnlen(name, 8)), U32(s + 12), U32(s + 8),
                             U32(s + 20), U32(s + 16), U32(s + 36)});
    }
    valid_ = true;
}

PeImage::Directory PeImage::DataDirectory(size_t index) const {
    return index < directories_.size() ? directories_[index] : Directory{};
}

size_t PeImage::Offset(uint32_t rva, size_t length) const {
    for (const Section& s : sections_) {
        const uint32_t size = std::max(s.size, s.fileSize);
        if (rva >= s.rva && rva - s.rva < size) {
            const size_t at = size_t(s.fileOffset) + (rva - s.rva);
            return rva - s.rva + length <= s.fileSize && at + length <= bytes_.size() ? at : 0;
        }
    }
    return 0;
}

std::string PeImage::String(uint32_t rva) const {
    std::string s;
    for (size_t at = Offset(rva); at && at < bytes_.size() && bytes_[at] && s.size() < 512; ++at)
        s.push_back(char(bytes_[at]));
    return s;
}

std::set<std::string> PeImage::Imports() const {
    std::set<std::string> names, differing;
    WalkImports(names, differing);
    return names;
}

std::set<std::string> PeImage::ImportsWhoseAddressSlotDiffers() const {
    std::set<std::string> names, differing;
    WalkImports(names, differing);
    return differing;
}

// Every import of every DLL by the name table (the address table where a
// file has none), and those whose address slot says otherwise.
void PeImage::WalkImports(std::set<std::string>& names, std::set<std::string>& differing) const {
    if (!valid_ || !importRva_) return;
    const bool wide = magic_ == kPe32Plus;
    const size_t thunkSize = wide ? 8 : 4;
    auto thunk = [&](uint32_t rva, bool& ok) -> uint64_t {
        const size_t at = Offset(rva, thunkSize);
        ok = at != 0;
        return !ok ? 0 : wide ? U64(at) : U32(at);
    };
    for (uint32_t desc = importRva_;; desc += 20) {
        const size_t at = Offset(desc, 20);
        if (!at || !U32(at + 12)) break;
        std::string dll = String(U32(at + 12));
        std::transform(dll.begin(), dll.end(), dll.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        const uint32_t addresses = U32(at + 16);
        const uint32_t lookups = U32(at) ? U32(at) : addresses;
        for (uint32_t i = 0;; ++i) {
            bool ok = false;
            const uint64_t value = thunk(lookups + i * uint32_t(thunkSize), ok);
            if (!ok || !value) break;
            const bool byOrdinal = wide ? (value >> 63) != 0 : (value >> 31) != 0;
            const std::string name = byOrdinal ? dll + "!#" + std::to_string(value & 0xFFFF)
                                               : dll + "!" + String(uint32_t(value) + 2);
            names.insert(name);
            if (thunk(addresses + i * uint32_t(thunkSize), ok) != value || !ok)
                differing.insert(name);
        }
    }
}

std::optional<uint32_t> PeImage::FindEntry(size_t base, size_t dir, const ResourceId& id) const {
    if (dir + 16 > bytes_.size()) return std::nullopt;
    const size_t named = U16(dir + 12), numbered = U16(dir + 14);
    for (size_t i = 0; i < named + numbered; ++i) {
        const size_t e = dir + 16 + i * 8;
        if (e + 8 > bytes_.size()) return std::nullopt;
        const uint32_t nameField = U32(e);
        bool match;
        if (nameField & 0x80000000u) {
            // A counted UTF-16 string; resource names are ASCII.
            const size_t s = base + (nameField & 0x7FFFFFFFu);
            const size_t length = U16(s);
            std::string name;
            for (size_t k = 0; k < length && s + 4 + 2 * k <= bytes_.size(); ++k)
                name.push_back(char(U16(s + 2 + 2 * k)));
            match = !id.name.empty() && name == id.name;
        } else {
            match = id.name.empty() && nameField == id.number;
        }
        if (match) return U32(e + 4);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> PeImage::Resource(const ResourceId& type,
                                                      const ResourceId& name) const {
    if (!valid_ || !resourceRva_) return std::nullopt;
    const size_t base = Offset(resourceRva_, 16);
    if (!base) return std::nullopt;
    constexpr uint32_t kSubdirectory = 0x80000000u;
    auto level1 = FindEntry(base, base, type);
    if (!level1 || !(*level1 & kSubdirectory)) return std::nullopt;
    auto level2 = FindEntry(base, base + (*level1 & ~kSubdirectory), name);
    if (!level2 || !(*level2 & kSubdirectory)) return std::nullopt;
    // The first language.
    const size_t languages = base + (*level2 & ~kSubdirectory);
    if (U16(languages + 12) + U16(languages + 14) == 0) return std::nullopt;
    const uint32_t leaf = U32(languages + 16 + 4);
    if (leaf & kSubdirectory) return std::nullopt;
    const size_t data = base + leaf;
    const uint32_t rva = U32(data), size = U32(data + 4);
    const size_t at = Offset(rva, size);
    if (!at || data + 16 > bytes_.size()) return std::nullopt;
    return std::vector<uint8_t>(bytes_.begin() + long(at), bytes_.begin() + long(at + size));
}

} // namespace hosttest
