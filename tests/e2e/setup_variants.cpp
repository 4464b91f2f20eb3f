// Copies of setup.exe with other resources, for tests of a damaged or
// unusual payload.
#include "e2e.h"

#include <cctype>
#include <cstddef>
#include <cstring>
#include <zlib.h>

namespace e2e {

namespace {
BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR lp) {
    *reinterpret_cast<WORD*>(lp) = language;
    return FALSE;
}

// A view of an executable file's bytes (32- or 64-bit, whichever the
// program under test is), enough to find and change one resource in place.
class PeImage {
  public:
    explicit PeImage(std::string& bytes) : bytes_(bytes) {
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER)) return;
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        nt_ = At<IMAGE_NT_HEADERS32>(size_t(dos->e_lfanew));
        if (!nt_ || nt_->Signature != IMAGE_NT_SIGNATURE) {
            nt_ = nullptr;
            return;
        }
        DWORD resources = 0;
        if (nt_->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            resources =
                nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
        } else if (const auto* nt64 = At<IMAGE_NT_HEADERS64>(size_t(dos->e_lfanew));
                   nt64 && nt64->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            resources =
                nt64->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
        } else {
            nt_ = nullptr;
            return;
        }
        // The file header and the section table sit alike in both kinds.
        sections_ = size_t(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                    nt_->FileHeader.SizeOfOptionalHeader;
        root_ = Offset(resources);
    }

    // A structure at a file offset (and `extra` bytes after it); null for
    // offset 0, which stands for "none", and past the end.
    template <typename T> T* At(size_t offset, size_t extra = 0) {
        return offset && offset + sizeof(T) + extra <= bytes_.size()
                   ? reinterpret_cast<T*>(&bytes_[offset])
                   : nullptr;
    }

    // The file offset of an address in the loaded image, or 0.
    size_t Offset(DWORD rva) {
        if (!nt_) return 0;
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
            const auto* sec =
                At<IMAGE_SECTION_HEADER>(sections_ + i * sizeof(IMAGE_SECTION_HEADER));
            if (sec && rva >= sec->VirtualAddress && rva < sec->VirtualAddress + sec->SizeOfRawData)
                return sec->PointerToRawData + (rva - sec->VirtualAddress);
        }
        return 0;
    }

    // The data entry of the named resource (first language), or null.
    IMAGE_RESOURCE_DATA_ENTRY* Resource(const char* type, const char* name) {
        size_t names = Child(root_, type), languages = names ? Child(names, name) : 0;
        return languages ? At<IMAGE_RESOURCE_DATA_ENTRY>(Child(languages, nullptr, false))
                         : nullptr;
    }

  private:
    // In one level of the resource tree: the entry named `wanted` (names are
    // stored in upper case), or the first entry when `wanted` is null.
    size_t Child(size_t dir, const char* wanted, bool wantDirectory = true) {
        const auto* d = At<IMAGE_RESOURCE_DIRECTORY>(dir);
        if (!root_ || !d) return 0;
        const size_t count = size_t(d->NumberOfNamedEntries) + d->NumberOfIdEntries;
        const auto* entries = At<IMAGE_RESOURCE_DIRECTORY_ENTRY>(
            dir + sizeof *d, (count ? count - 1 : 0) * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY));
        for (size_t i = 0; entries && i < count; ++i) {
            const auto& e = entries[i];
            if (wanted && !(e.NameIsString && NameIs(root_ + e.NameOffset, wanted))) continue;
            if (bool(e.DataIsDirectory) != wantDirectory) return 0;
            return root_ + e.OffsetToDirectory;
        }
        return 0;
    }

    bool NameIs(size_t at, const char* wanted) {
        const size_t length = std::strlen(wanted);
        const auto* s = At<IMAGE_RESOURCE_DIR_STRING_U>(at, length * sizeof(WCHAR));
        if (!s || s->Length != length) return false;
        for (size_t k = 0; k < length; ++k)
            if (s->NameString[k] != WCHAR(std::toupper(uint8_t(wanted[k])))) return false;
        return true;
    }

    std::string& bytes_;
    IMAGE_NT_HEADERS32* nt_ = nullptr;
    size_t sections_ = 0;
    size_t root_ = 0;
};

// Puts the bytes in place of a resource's data, when they fit, and records
// their size.
bool PatchResourceInPlace(const std::string& exe, const char* type, const char* name,
                          const std::string& bytes) {
    std::string image;
    if (!ReadFile(exe, image)) return false;
    PeImage pe(image);
    IMAGE_RESOURCE_DATA_ENTRY* entry = pe.Resource(type, name);
    if (!entry || bytes.size() > entry->Size) return false;
    const size_t offset = pe.Offset(entry->OffsetToData);
    if (!offset || offset + entry->Size > image.size()) return false;
    image.replace(offset, bytes.size(), bytes);
    entry->Size = DWORD(bytes.size());
    return WriteFile(exe, image);
}

struct DataFile {
    HMODULE module;
    explicit DataFile(const std::string& path)
        : module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataFile() {
        if (module) FreeLibrary(module);
    }
};
} // namespace

std::string ReadResource(const std::string& exe, const char* type, const char* name, bool* found) {
    if (found) *found = false;
    DataFile file(exe);
    if (!file.module) return {};
    HRSRC resource = FindResourceA(file.module, name, type);
    if (!resource) return {};
    const DWORD size = SizeofResource(file.module, resource);
    HGLOBAL loaded = LoadResource(file.module, resource);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes && size) return {};
    if (found) *found = true;
    return std::string(bytes ? bytes : "", size);
}

bool ReplaceResource(const std::string& exe, const char* type, const char* name,
                     const std::string& bytes) {
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    {
        DataFile file(exe);
        if (file.module)
            EnumResourceLanguagesA(file.module, type, name, FirstLanguage,
                                   reinterpret_cast<LONG_PTR>(&language));
    }
    // Wine's resource updater refuses empty data (to UpdateResource no data
    // means "delete"); for that, and whatever else it refuses, the bytes are
    // put in place of the old ones when they fit.
    HANDLE update = bytes.empty() ? nullptr : BeginUpdateResourceA(exe.c_str(), FALSE);
    bool updated = update && UpdateResourceA(update, type, name, language,
                                             const_cast<char*>(bytes.data()), DWORD(bytes.size()));
    if (update) updated = EndUpdateResourceA(update, !updated) && updated;
    if (!updated && !PatchResourceInPlace(exe, type, name, bytes)) {
        Fail("cannot update the resource " + std::string(type) + "/" + name + " of " + exe);
        return false;
    }
    bool found = false;
    if (ReadResource(exe, type, name, &found) != bytes || !found) {
        Fail("the resource " + std::string(type) + "/" + name + " of " + exe +
             " does not hold the new bytes after the update");
        return false;
    }
    return true;
}

std::string Deflate(const std::string& bytes) {
    uLongf size = compressBound(uLong(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        Fail("cannot compress " + std::to_string(bytes.size()) + " bytes");
        return {};
    }
    out.resize(size);
    return out;
}

bool MakeSetupCopy(const std::string& path, const std::string* payload) {
    if (!CopyTo(SetupExe(), path)) {
        Fail("cannot copy " + SetupExe() + " to " + path);
        return false;
    }
    return !payload || ReplaceResource(path, "FILES", "FILES", *payload);
}

} // namespace e2e
