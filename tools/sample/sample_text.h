// Deterministic raw material for the sample product: a fixed-seed random
// generator, made-up English-looking words, sentences and filler bytes.
// The same seed gives the same bytes on every machine and every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sample {

using Bytes = std::vector<uint8_t>;

// SplitMix64: tiny, and defined by integer arithmetic alone.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    uint32_t Below(uint32_t n) { return uint32_t(Next() % n); }

  private:
    uint64_t state_;
};

// A seed derived from a text, so each file's content depends on its own
// name only and not on the order the files are made in.
uint64_t SeedOf(const std::string& text);

// `count` bytes that do not compress (stand-ins for packed or binary data).
void AppendNoise(Bytes& out, Random& rng, size_t count);

// Appends text, turning every "\n" into CR LF.
void AppendLines(Bytes& out, const std::string& text);

// One made-up word of one to four syllables.
std::string MakeWord(Random& rng);

// `count` distinct made-up words, sorted byte-wise.
std::vector<std::string> WordList(uint64_t seed, size_t count);

// A made-up sentence of `words` words, capitalised, ending with a full stop.
std::string MakeSentence(Random& rng, int words);

// A paragraph of a few sentences wrapped to lines of at most 72 characters.
std::string MakeParagraph(Random& rng);

} // namespace sample
