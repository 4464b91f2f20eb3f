// The shipped setup.exe, read as a file: the facts that make it load on every
// Windows it is meant for and that no Wine run can show, checked on any host.
#include "pe_image.h"

#include "host_files.h"
#include "image/png_decoder.h"
#include "payload/payload_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

using hosttest::PeImage;
using hosttest::ResourceId;

namespace {

std::string ShippedSetup() {
    const char* path = std::getenv("QV_SHIPPED_SETUP");
    return path && *path ? path : QV_SHIPPED_SETUP;
}

const PeImage& Shipped() {
    static const PeImage image(hosttest::ReadBytes(ShippedSetup()));
    return image;
}

std::set<std::string> AllowList() {
    std::ifstream in(QV_SOURCE_DIR "/tests/win95-nt4-imports.txt");
    std::set<std::string> out;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t bang = line.find('!');
        std::string dll = line.substr(0, bang);
        std::transform(dll.begin(), dll.end(), dll.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        out.insert(dll + line.substr(bang));
    }
    return out;
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The date the build stamps into the program header: SOURCE_DATE_EPOCH where
// the builder sets one, else the date of the commit the sources are at
// (cmake/source_date.cmake); 0 where neither is known here.
uint32_t SourceDate() {
    if (const char* set = std::getenv("SOURCE_DATE_EPOCH"); set && *set)
        return uint32_t(std::strtoul(set, nullptr, 10));
    std::string stamp;
    if (FILE* git = popen("git -C '" QV_SOURCE_DIR "' log -1 --format=%ct 2>/dev/null", "r")) {
        char line[32] = "";
        if (std::fgets(line, sizeof line, git)) stamp = line;
        pclose(git);
    }
    return uint32_t(std::strtoul(stamp.c_str(), nullptr, 10));
}

// The UTF-16 text of a version resource, as 8-bit characters.
std::string Narrow(const std::vector<uint8_t>& bytes) {
    std::string s;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        s.push_back(char(bytes[i]));
    return s;
}

} // namespace

TEST(ShippedSetup, IsA32BitWindowsProgramThatWindows95AndNt4Load) {
    ASSERT_TRUE(Shipped().Valid()) << "not a Windows program: " << ShippedSetup();
    EXPECT_EQ(Shipped().Machine(), 0x14C) << "not i386";
    EXPECT_EQ(Shipped().OptionalMagic(), 0x10B) << "not PE32";
    EXPECT_TRUE(Shipped().Characteristics() & 0x0002) << "not marked executable";
    // Room for a large payload, held packed and inflated, on 64-bit Windows.
    EXPECT_TRUE(Shipped().Characteristics() & 0x0020) << "not large-address-aware";
    EXPECT_EQ(Shipped().Subsystem(), 2) << "not a GUI program";
    // Loaders older than the declared version refuse the file outright, so
    // that their users never see the program's own "needs Windows 2000".
    EXPECT_EQ(Shipped().SubsystemMajor(), 4);
    EXPECT_EQ(Shipped().SubsystemMinor(), 0);
    EXPECT_EQ(Shipped().OsMajor(), 4);
    EXPECT_EQ(Shipped().OsMinor(), 0);
}

// What heuristic virus scanners weigh first (Debian's pescan reports the
// same): a TLS callback, a time stamp that is not a real date, many
// sections, sections with odd names or almost no bytes, code that may write
// itself. setup.exe shows none of them.
TEST(ShippedSetup, LooksLikeAnOrdinaryProgramToVirusScanners) {
    ASSERT_TRUE(Shipped().Valid());
    EXPECT_EQ(Shipped().DataDirectory(PeImage::kTlsDirectory).rva, 0u)
        << "a TLS directory, and so a TLS callback, is back (see src/app/no_tls_callback.cpp)";

    // The sources' date, so that the same sources give the same bytes.
    const uint32_t stamp = Shipped().TimeDateStamp();
    EXPECT_GE(stamp, 946684800u) << "time stamp before 2000"; // 2000-01-01
    EXPECT_LE(time_t(stamp), std::time(nullptr)) << "time stamp in the future";
    if (const uint32_t date = SourceDate()) {
        EXPECT_EQ(stamp, date) << "not the sources' date";
    }

    std::vector<std::string> names;
    for (const PeImage::Section& s : Shipped().Sections()) {
        names.push_back(s.name);
        EXPECT_GT(s.fileSize, 512u) << s.name << " has almost no bytes in the file";
        constexpr uint32_t kExecutable = 0x20000000, kWritable = 0x80000000;
        EXPECT_FALSE((s.characteristics & kExecutable) && (s.characteristics & kWritable))
            << s.name << " is writable and executable";
    }
    // Short plain names, and no more than the program needs (cmake/setup.ld.in).
    EXPECT_EQ(names,
              (std::vector<std::string>{".text", ".data", ".idata", ".rdata", ".rsrc", ".reloc"}));
}

TEST(ShippedSetup, ImportsOnlyFunctionsThatWindows95AndNt4Have) {
    ASSERT_TRUE(Shipped().Valid());
    const std::set<std::string> allowed = AllowList();
    ASSERT_GT(allowed.size(), 100u) << "allow-list missing or short";
    // The list itself must not let through what the old systems lack.
    for (const char* newer : {"kernel32.dll!GetFileSizeEx", "kernel32.dll!GetDiskFreeSpaceExA",
                              "kernel32.dll!SetDefaultDllDirectories", "user32.dll!GetAncestor",
                              "comctl32.dll!InitCommonControlsEx", "shell32.dll!SHGetFolderPathA"})
        EXPECT_EQ(allowed.count(newer), 0u) << newer << " is on the allow-list";
    const std::set<std::string> imports = Shipped().Imports();
    ASSERT_GT(imports.size(), 50u);
    EXPECT_TRUE(imports.count("kernel32.dll!GetVersionExA")) << "the version check is not imported";
    std::ostringstream unknown;
    for (const std::string& name : imports)
        if (!allowed.count(name)) unknown << "  " << name << "\n";
    EXPECT_TRUE(unknown.str().empty())
        << "imports not on tests/win95-nt4-imports.txt (look them up at run time):\n"
        << unknown.str();
    // The loader binds each import into the address table, which the
    // program's own layout keeps apart from the names (cmake/setup.ld.in):
    // slot for slot, the two must describe the same functions.
    EXPECT_TRUE(Shipped().ImportsWhoseAddressSlotDiffers().empty());
}

TEST(ShippedSetup, CarriesItsPayloadLogosPicturesManifestAndVersion) {
    ASSERT_TRUE(Shipped().Valid());
    // The payload: one zlib stream that indexes into the product's files.
    auto files = Shipped().Resource(ResourceId::Name("FILES"), ResourceId::Name("FILES"));
    ASSERT_TRUE(files) << "no FILES resource";
    payload::Inflated inflated = payload::InflatePayload(files->data(), uint32_t(files->size()), 0);
    ASSERT_EQ(inflated.status, payload::InflateStatus::Ok) << payload::Describe(inflated.status);
    std::vector<payload::EntryRecord> entries;
    ASSERT_EQ(payload::IndexPayload(inflated.data.get(), inflated.size, entries),
              payload::IndexStatus::Ok);
    auto has = [&](const char* name) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const auto& e) { return e.name == name; });
    };
    EXPECT_TRUE(has("License.txt"));
    EXPECT_TRUE(has("kel.exe"));

    for (const char* name : {"LOGO", "LOGOSMALL"}) {
        auto png = Shipped().Resource(ResourceId::Name("PNG"), ResourceId::Name(name));
        ASSERT_TRUE(png) << "no PNG resource " << name;
        TPNGImage image;
        EXPECT_TRUE(image.LoadFromStream(png->data(), png->size())) << name << " does not decode";
        EXPECT_GT(image.Width, 0u);
    }
    constexpr uint16_t kBitmap = 2, kGroupIcon = 14, kVersion = 16, kManifest = 24;
    for (const char* name : {"FIXEDDRIVE", "REMOVABLEDRIVE", "OPENFOLDER", "CLOSEDFOLDER"}) {
        auto bitmap = Shipped().Resource(ResourceId::Number(kBitmap), ResourceId::Name(name));
        ASSERT_TRUE(bitmap) << "no bitmap " << name;
        EXPECT_GE(bitmap->size(), 40u) << name; // at least its header
    }
    EXPECT_TRUE(Shipped().Resource(ResourceId::Number(kGroupIcon), ResourceId::Number(1)))
        << "no icon";

    auto manifest = Shipped().Resource(ResourceId::Number(kManifest), ResourceId::Number(1));
    ASSERT_TRUE(manifest) << "no manifest";
    EXPECT_NE(Text(*manifest).find("highestAvailable"), std::string::npos);
    EXPECT_NE(Text(*manifest).find("Microsoft.Windows.Common-Controls"), std::string::npos);

    auto version = Shipped().Resource(ResourceId::Number(kVersion), ResourceId::Number(1));
    ASSERT_TRUE(version) << "no version information";
    EXPECT_NE(Narrow(*version).find("ProductVersion"), std::string::npos);
    EXPECT_NE(Narrow(*version).find("3.3.3.1"), std::string::npos);
}
