// same_bytes FIRST SECOND: exit code 0 when the two programs hold the same
// bytes; else 1, and where they first differ.
#include "same_bytes.h"

#include <cstdio>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: same_bytes FIRST SECOND\n");
        return 2;
    }
    std::vector<uint8_t> files[2];
    for (int i = 0; i < 2; ++i) {
        std::ifstream in(argv[1 + i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "same_bytes: cannot read %s\n", argv[1 + i]);
            return 2;
        }
        files[i].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string difference = hosttest::FirstDifference(files[0], files[1]);
    if (difference.empty()) {
        std::printf("%s and %s hold the same bytes\n", argv[1], argv[2]);
        return 0;
    }
    std::fprintf(stderr, "%s and %s differ: %s\n", argv[1], argv[2], difference.c_str());
    return 1;
}
