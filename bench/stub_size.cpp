// qvstubsize SETUP.EXE: the size the program would have without its payload
// and logos, read natively from the file, so that the shipped 32-bit build
// can be measured on a host that cannot run it. The file less the data of
// the "FILES" and the two "PNG" resources, each aligned to 8 bytes as the
// resource compiler lays them out, rounded up to the 512-byte file
// alignment.
#include "pe_image.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using hosttest::PeImage;
using hosttest::ResourceId;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qvstubsize SETUP.EXE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    const size_t size = bytes.size();
    const PeImage image(std::move(bytes));
    if (!image.Valid()) {
        std::fprintf(stderr, "qvstubsize: %s is not a Windows program\n", argv[1]);
        return 1;
    }
    size_t dropped = 0;
    const struct {
        const char* type;
        const char* name;
    } resources[] = {{"FILES", "FILES"}, {"PNG", "LOGO"}, {"PNG", "LOGOSMALL"}};
    for (const auto& r : resources)
        if (auto data = image.Resource(ResourceId::Name(r.type), ResourceId::Name(r.name)))
            dropped += (data->size() + 7) / 8 * 8;
    std::printf("setup_bytes %zu stub_bytes %zu machine %s\n", size,
                (size - dropped + 511) / 512 * 512, image.Machine() == 0x14C ? "i686" : "x86_64");
    return 0;
}
