// qvbigproduct: adds a large body of files to a product folder, so that
// installers can be timed on a payload of realistic size.
//
//   qvbigproduct FOLDER [MEGABYTES [FILES]]
//
// Writes FILES files (default 2000) of MEGABYTES MB in all (default 150)
// below "Templates\Library NN\" and "Clip Library\Collection NN\" of the
// folder, next to whatever it holds already. A third of the bytes is
// incompressible (pictures), the rest text. Sizes spread like real files:
// most a few KB to a few hundred KB, a handful of several MB. Fixed seeds
// and a fixed time: two runs write the same bytes.
#include "sample_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <vector>

namespace {

using sample::Bytes;
using sample::Random;

constexpr time_t kReleaseTime = 1715932800; // the sample product's release time

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "qvbigproduct: %s\n", message.c_str());
    std::exit(1);
}

void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            Fail("cannot create " + part + ": " + std::strerror(errno));
        if (slash == std::string::npos) return;
    }
}

void WriteFile(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot create " + path + ": " + std::strerror(errno));
    const bool written = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (std::fclose(f) != 0 || !written) Fail("cannot write " + path);
    const timeval times[2] = {{kReleaseTime, 0}, {kReleaseTime, 0}};
    if (utimes(path.c_str(), times) != 0) Fail("cannot set the time of " + path);
}

// Prose from a fixed vocabulary, common words far more often than rare
// ones, so that it compresses about as well as real text does.
Bytes Text(const std::vector<std::string>& words, Random& rng, size_t size) {
    std::string text = "[Quorvale Template]\nVersion=3\n\n[Body]\n";
    text.reserve(size + 256);
    std::string line;
    bool capital = true;
    while (text.size() < size) {
        // Log-uniform index: word n is about n times rarer than word 1.
        const double u = double(rng.Below(1000000)) / 1000000;
        std::string word = words[size_t(std::pow(double(words.size()), u)) - 1];
        if (capital) word[0] = char(word[0] - 'a' + 'A');
        capital = rng.Below(12) == 0;
        if (capital) word += '.';
        if (line.size() + word.size() + 1 > 72) {
            text += line + "\n";
            line.clear();
            if (rng.Below(8) == 0) text += "\n";
        }
        line += line.empty() ? word : " " + word;
    }
    Bytes out;
    sample::AppendLines(out, text);
    out.resize(size);
    return out;
}

Bytes Picture(Random& rng, size_t size) {
    Bytes out;
    sample::AppendLines(out, "QVPIC1");
    sample::AppendNoise(out, rng, size > out.size() ? size - out.size() : 0);
    out.resize(size);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: qvbigproduct FOLDER [MEGABYTES [FILES]]\n");
        return 2;
    }
    const std::string root = argv[1];
    const double total = (argc > 2 ? std::atof(argv[2]) : 150) * 1024 * 1024;
    const int count = argc > 3 ? std::atoi(argv[3]) : 2000;
    if (total <= 0 || count < 12) Fail("need a positive size and at least 12 files");

    // Log-uniform sizes from 2 KB to 400 KB, plus six big ones; then all
    // scaled to the total.
    Random rng(sample::SeedOf("qvbigproduct"));
    std::vector<double> sizes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double u = double(rng.Below(1000000)) / 1000000;
        sizes[size_t(i)] = 2048 * std::pow(200.0, u);
    }
    const double big[] = {3, 4, 5, 6, 7, 8};
    for (size_t i = 0; i < std::size(big); ++i)
        sizes[i * 331 % size_t(count)] = big[i] * 1024 * 1024;
    double sum = 0;
    for (double s : sizes)
        sum += s;
    for (double& s : sizes)
        s *= total / sum;

    const std::vector<std::string> words = sample::WordList(sample::SeedOf("vocabulary"), 6000);
    // Every third file is a picture. Pictures go into the clip library,
    // text into templates, twenty files per folder.
    for (int i = 0; i < count; ++i) {
        const bool picture = i % 3 == 0;
        char folder[64], name[64];
        std::snprintf(folder, sizeof folder,
                      picture ? "Clip Library/Collection %02d" : "Templates/Library %02d", i / 60);
        std::snprintf(name, sizeof name, picture ? "Picture %04d.qvp" : "Document %04d.kwt", i);
        const std::string dir = root + "/" + folder;
        MakeFolders(dir);
        Random content(sample::SeedOf(std::string(folder) + "/" + name));
        const size_t size = size_t(sizes[size_t(i)]);
        WriteFile(dir + "/" + name, picture ? Picture(content, size) : Text(words, content, size));
    }
    return 0;
}
