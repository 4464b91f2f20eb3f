// setup.exe must start on Windows 2000: every function it imports has to be
// one that Windows 2000 has. New imports fail here until someone has checked
// them and added them to tests/win2000-imports.txt.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

struct Image {
    std::vector<uint8_t> bytes;
    const IMAGE_NT_HEADERS32* nt = nullptr;

    explicit Image(const char* path) : bytes(ReadAll(path)) {
        if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE ||
            size_t(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes.size())
            return;
        nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
        if (nt->Signature != IMAGE_NT_SIGNATURE) nt = nullptr;
    }

    // File offset of a relative virtual address, or 0.
    size_t Offset(DWORD rva) const {
        auto section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }

    std::string String(DWORD rva) const {
        size_t at = Offset(rva);
        std::string s;
        while (at && at < bytes.size() && bytes[at]) s.push_back(char(bytes[at++]));
        return s;
    }

    // "dll!function" (or "dll!#ordinal") for every import.
    std::set<std::string> Imports() const {
        std::set<std::string> out;
        const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (size_t at = Offset(dir.VirtualAddress); at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size();
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes.data() + at);
            if (!desc->Name) break;
            const std::string dll = Lower(String(desc->Name));
            DWORD thunks = desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk;
            for (size_t t = Offset(thunks); t && t + 4 <= bytes.size(); t += 4) {
                DWORD value = *reinterpret_cast<const DWORD*>(bytes.data() + t);
                if (!value) break;
                if (value & IMAGE_ORDINAL_FLAG32)
                    out.insert(dll + "!#" + std::to_string(value & 0xFFFF));
                else
                    out.insert(dll + "!" + String(value + 2));
            }
        }
        return out;
    }
};

std::set<std::string> AllowList() {
    std::ifstream in(QV_SOURCE_DIR "\\tests\\win2000-imports.txt");
    std::set<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        out.insert(Lower(line.substr(0, line.find('!'))) + line.substr(line.find('!')));
    }
    return out;
}

} // namespace

TEST(Win2000, SetupImportsOnlyFunctionsWindows2000Has) {
    Image setup(QV_SETUP_EXE);
    ASSERT_NE(setup.nt, nullptr) << "not a PE file: " << QV_SETUP_EXE;
    const std::set<std::string> allowed = AllowList();
    ASSERT_GT(allowed.size(), 50u) << "allow-list missing or short";
    const std::set<std::string> imports = setup.Imports();
    ASSERT_FALSE(imports.empty());
    std::ostringstream unknown;
    for (const std::string& name : imports)
        if (!allowed.count(name)) unknown << "  " << name << "\n";
    EXPECT_TRUE(unknown.str().empty())
        << "imports not on the Windows 2000 allow-list:\n" << unknown.str();
}

TEST(Win2000, SetupIsA32BitGuiProgramForSubsystem4Or5) {
    Image setup(QV_SETUP_EXE);
    ASSERT_NE(setup.nt, nullptr);
    EXPECT_EQ(setup.nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(setup.nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    const WORD major = setup.nt->OptionalHeader.MajorSubsystemVersion;
    const WORD minor = setup.nt->OptionalHeader.MinorSubsystemVersion;
    EXPECT_TRUE((major == 4 || major == 5) && minor == 0) << major << "." << minor;
}
