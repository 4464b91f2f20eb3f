#include "sample_text.h"

#include <set>

namespace sample {

uint64_t Random::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t SeedOf(const std::string& text) {
    uint64_t h = 0xCBF29CE484222325ull; // FNV-1a
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

void AppendNoise(Bytes& out, Random& rng, size_t count) {
    out.reserve(out.size() + count);
    while (count > 0) {
        uint64_t v = rng.Next();
        for (int i = 0; i < 8 && count > 0; ++i, --count) {
            out.push_back(uint8_t(v));
            v >>= 8;
        }
    }
}

void AppendLines(Bytes& out, const std::string& text) {
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(uint8_t(c));
    }
}

namespace {

const char* const kOnsets[] = {
    "",   "",   "b",  "bl", "br", "c",   "ch", "cl", "cr", "d",  "dr", "f", "fl", "fr", "g",  "gl",
    "gr", "h",  "j",  "k",  "l",  "m",   "n",  "p",  "pl", "pr", "qu", "r", "s",  "sc", "sh", "sk",
    "sl", "sm", "sn", "sp", "st", "str", "sw", "t",  "th", "tr", "v",  "w", "wh", "y",  "z"};
const char* const kNuclei[] = {"a", "e",  "i",  "o",  "u",  "a",  "e",  "i",
                               "o", "ai", "ea", "ee", "oo", "ou", "ie", "oa"};
const char* const kCodas[] = {"",   "",   "",   "",   "n",  "r",  "s",  "t",  "l",  "m",
                              "nd", "nt", "st", "ck", "ng", "rd", "rt", "sh", "th", "x"};
const char* const kSuffixes[] = {"",   "",     "",     "",     "s",    "ed",  "ing", "er",
                                 "ly", "ness", "ment", "able", "tion", "ful", "ous", "ist"};
const char* const kShortWords[] = {"the", "a",  "of",   "and",  "to",   "in",  "is",
                                   "for", "on", "with", "that", "from", "by",  "as",
                                   "it",  "at", "this", "are",  "or",   "not", "be"};

template <size_t N> const char* Pick(Random& rng, const char* const (&items)[N]) {
    return items[rng.Below(N)];
}

} // namespace

std::string MakeWord(Random& rng) {
    std::string w;
    const uint32_t syllables = 1 + rng.Below(3) + (rng.Below(4) == 0 ? 1 : 0);
    for (uint32_t i = 0; i < syllables; ++i) {
        w += Pick(rng, kOnsets);
        w += Pick(rng, kNuclei);
        if (i + 1 == syllables || rng.Below(3) == 0) w += Pick(rng, kCodas);
    }
    w += Pick(rng, kSuffixes);
    return w;
}

std::vector<std::string> WordList(uint64_t seed, size_t count) {
    Random rng(seed);
    std::set<std::string> words;
    while (words.size() < count)
        words.insert(MakeWord(rng));
    return {words.begin(), words.end()};
}

std::string MakeSentence(Random& rng, int words) {
    std::string s;
    for (int i = 0; i < words; ++i) {
        if (i > 0) s += rng.Below(12) == 0 && i + 1 < words ? ", " : " ";
        s += rng.Below(3) == 0 ? Pick(rng, kShortWords) : MakeWord(rng);
    }
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = char(s[0] - 'a' + 'A');
    return s + ".";
}

std::string MakeParagraph(Random& rng) {
    std::string text;
    std::string line;
    const uint32_t sentences = 2 + rng.Below(5);
    for (uint32_t i = 0; i < sentences; ++i) {
        std::string sentence = MakeSentence(rng, 5 + int(rng.Below(14)));
        size_t start = 0;
        while (start < sentence.size()) {
            size_t space = sentence.find(' ', start);
            if (space == std::string::npos) space = sentence.size();
            const std::string word = sentence.substr(start, space - start);
            if (!line.empty() && line.size() + 1 + word.size() > 72) {
                text += line + "\n";
                line.clear();
            }
            line += line.empty() ? word : " " + word;
            start = space + 1;
        }
    }
    if (!line.empty()) text += line + "\n";
    return text;
}

} // namespace sample
