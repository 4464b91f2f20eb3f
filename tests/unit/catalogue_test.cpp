// The payload catalogue: inflating and indexing what the packer wrote, and
// refusing damaged payloads without reading past them.
#include "payload/catalogue.h"
#include "payload/payload_format.h"
#include "payload/reserved_memory.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string name;
    double date;
    std::string data;
};

std::vector<uint8_t> Raw(const std::vector<Entry>& entries) {
    std::vector<uint8_t> raw;
    for (const Entry& e : entries)
        payload::AppendEntry(raw, e.name, e.date, reinterpret_cast<const uint8_t*>(e.data.data()),
                             uint32_t(e.data.size()));
    return raw;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& raw, int level = Z_BEST_COMPRESSION) {
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), level), Z_OK);
    out.resize(size);
    return out;
}

std::string Bytes(const TAttachedFiles& c, const TAttachedFile& f) {
    return std::string(reinterpret_cast<const char*>(c.Data(f)), size_t(f.Size));
}

bool Load(TAttachedFiles& c, const std::vector<uint8_t>& stream, std::string* error = nullptr) {
    std::string e;
    bool ok = c.LoadFromBytes(stream.data(), uint32_t(stream.size()), e);
    if (error) *error = e;
    return ok;
}

} // namespace

TEST(CatalogueIndex, EntriesComeBackWithNameSizeDataAndOffsetsInPayloadOrder) {
    std::vector<Entry> entries = {{"kel.exe", 45000.5, "MZ program"},
                                  {"Templates\\Business\\Invoice.kwt", 45001.25, "invoice"},
                                  {"empty.txt", 45002.0, ""},
                                  {"License.txt", 45003.75, std::string(1000, 'L')}};
    TAttachedFiles c;
    ASSERT_TRUE(Load(c, Compress(Raw(entries))));
    ASSERT_EQ(c.Files().size(), entries.size());
    int32_t offset = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TAttachedFile& f = c.Files()[i];
        EXPECT_EQ(f.Name, entries[i].name);
        EXPECT_EQ(f.Size, int32_t(entries[i].data.size()));
        EXPECT_EQ(Bytes(c, f), entries[i].data);
        offset += int32_t(13 + entries[i].name.size());
        EXPECT_EQ(f.Offset, offset);
        offset += f.Size;
    }
    EXPECT_EQ(c.BufferSize(), offset);
}

TEST(CatalogueIndex, TimeStampIsKeptBitForBit) {
    const double stamps[] = {43831.48103009259, 1.0 / 3.0, -1.5, 73050.99999999999};
    std::vector<Entry> entries;
    for (double d : stamps)
        entries.push_back({"f" + std::to_string(entries.size()), d, "x"});
    TAttachedFiles c;
    ASSERT_TRUE(Load(c, Compress(Raw(entries))));
    ASSERT_EQ(c.Files().size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(&c.Files()[i].Date, &stamps[i], 8), 0) << i;
}

TEST(CatalogueIndex, ZeroBytePayloadGivesNoEntries) {
    TAttachedFiles c;
    ASSERT_TRUE(Load(c, Compress({})));
    EXPECT_TRUE(c.Files().empty());
    EXPECT_EQ(c.BufferSize(), 0);
}

TEST(CatalogueIndex, NameOf255BytesIsReadInFullAndTheNextEntryFollows) {
    std::string longName(255, 'n');
    longName[100] = '\\';
    TAttachedFiles c;
    ASSERT_TRUE(Load(c, Compress(Raw({{longName, 1, "abc"}, {"next", 2, "de"}}))));
    ASSERT_EQ(c.Files().size(), 2u);
    EXPECT_EQ(c.Files()[0].Name, longName);
    EXPECT_EQ(c.Files()[1].Name, "next");
    EXPECT_EQ(c.Files()[1].Offset, 13 + 255 + 3 + 13 + 4);
    EXPECT_EQ(Bytes(c, c.Files()[1]), "de");
}

TEST(CatalogueIndex, DuplicateNamesAreAllKeptInPayloadOrder) {
    TAttachedFiles c;
    ASSERT_TRUE(Load(
        c,
        Compress(Raw({{"Us.zlx", 1, "first"}, {"US.ZLX", 2, "second"}, {"Us.zlx", 3, "third"}}))));
    ASSERT_EQ(c.Files().size(), 3u);
    EXPECT_EQ(Bytes(c, c.Files()[0]), "first");
    EXPECT_EQ(c.Files()[1].Name, "US.ZLX");
    EXPECT_EQ(Bytes(c, c.Files()[2]), "third");
}

// Every block the catalogue asks for, in order; and a ceiling above which it
// gets none, as on a system short of memory. Held is the size of the block
// it has; Leap the most it asked for at once, as a multiple of that.
std::vector<size_t> Asked;
size_t Ceiling = SIZE_MAX;
size_t Held = 0;
double Leap = 0;
void* Recording(void* block, size_t size) {
    Asked.push_back(size);
    if (block) Leap = std::max(Leap, double(size) / double(Held));
    if (size > Ceiling) return nullptr;
    void* grown = std::realloc(block, size);
    if (grown) Held = size;
    return grown;
}
const payload::Memory RecordingMemory = {Recording, std::free};

void Record(size_t ceiling) {
    Asked.clear();
    Ceiling = ceiling;
    Held = 0;
    Leap = 0;
}

// Bytes that do not compress.
std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 2463534242u;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x);
    }
    return bytes;
}

TEST(CatalogueInflate, FirstAsksForNoMoreThanThePayloadInflatesToThenGrowsToTheProjectedSize) {
    // Text of about 2 to 1, as the product compresses.
    std::string text;
    for (int i = 0; text.size() < 400000; ++i)
        text += std::to_string(i * 7919 % 100003) + " ";
    const std::vector<uint8_t> raw = Raw({{"a.txt", 1, text}, {"b.txt", 2, text.substr(0, 1000)}});
    const std::vector<uint8_t> stream = Compress(raw);
    ASSERT_LT(stream.size() * 3 / 2, raw.size());
    Record(SIZE_MAX);
    TAttachedFiles c;
    std::string error;
    ASSERT_TRUE(c.LoadFromBytes(stream.data(), uint32_t(stream.size()), error, &RecordingMemory))
        << error;
    EXPECT_EQ(c.BufferSize(), int32_t(raw.size()));
    EXPECT_EQ(c.MemoryNeeded(), 0u);
    ASSERT_GE(Asked.size(), 2u);
    EXPECT_EQ(Asked.front(), payload::GrowthStep(uint32_t(stream.size())));
    EXPECT_LE(Asked.front(), raw.size());
    // One growth to the projection, then the shrink to the exact length.
    EXPECT_EQ(Asked.size(), 3u);
    EXPECT_GE(Asked[1], raw.size());
    EXPECT_LE(Asked[1], raw.size() + raw.size() / 8);
    EXPECT_EQ(Asked.back(), raw.size());
}

TEST(CatalogueInflate, FarBeyondTheProjectionStillEndsAtTheExactLength) {
    // Zeros after text: the ratio the start promises is far too low.
    std::string text;
    for (int i = 0; text.size() < 20000; ++i)
        text += std::to_string(i * 7919 % 10007) + " ";
    std::vector<uint8_t> raw =
        Raw({{"a.txt", 1, text}, {"zeros.bin", 1, std::string(3000000, '\0')}});
    std::vector<uint8_t> stream = Compress(raw);
    payload::Inflated out = payload::InflatePayload(stream.data(), uint32_t(stream.size()),
                                                    payload::GrowthStep(uint32_t(stream.size())));
    ASSERT_EQ(out.status, payload::InflateStatus::Ok);
    EXPECT_EQ(out.size, int32_t(raw.size()));
    EXPECT_EQ(std::memcmp(out.data.get(), raw.data(), raw.size()), 0);
    EXPECT_GT(out.growths, 1u);
    // Each growth a sixteenth at least: a handful, not one per step.
    EXPECT_LT(out.growths, 80u);
}

TEST(CatalogueInflate, TheProjectionFollowsTheRatioSoFarWithinTheLimit) {
    // Half the input made 1000 bytes: the whole makes 2000, a sixteenth more,
    // rounded up to 256.
    EXPECT_EQ(payload::ProjectedSize(1000, 500, 1000, 0x7FFFFFFF), 2304u);
    // At least one growth step more, however little is left.
    EXPECT_EQ(payload::ProjectedSize(5000, 1000, 1000, 0x7FFFFFFF), 6144u);
    // A stream that promises more than the catalogue can hold asks for the
    // limit, no more.
    EXPECT_EQ(payload::ProjectedSize(1u << 30, 1, 1u << 20, 0x7FFFFFFF), 0x7FFFFFFFu);
    // A full buffer grows to the projection, but to no more than three times
    // what it holds, and by one block at least.
    EXPECT_EQ(payload::GrowthTarget(1000, 500, 1000, 0x7FFFFFFF), 2304u);
    EXPECT_EQ(payload::GrowthTarget(4u << 20, 4096, 4u << 20, 0x7FFFFFFF), 12u << 20);
    EXPECT_EQ(payload::GrowthTarget(1000, 1000, 50u << 20, 0x7FFFFFFF),
              1000 + payload::kInflateBlock);
}

// A start of zeros promises far more than the stream holds: the buffer
// grows a few times what it has at each step, and a system that gives no
// block above 256 MB unpacks it.
TEST(CatalogueInflate, AStartOfZerosGrowsInStepsOfAFewTimesWhatIsThere) {
    const std::vector<uint8_t> raw =
        Raw({{"zeros.bin", 1, std::string(20u << 20, '\0')}, {"noise.bin", 2, Noise(4u << 20)}});
    const std::vector<uint8_t> stream = Compress(raw, Z_DEFAULT_COMPRESSION);
    Record(256u << 20);
    TAttachedFiles c;
    std::string error;
    ASSERT_TRUE(c.LoadFromBytes(stream.data(), uint32_t(stream.size()), error, &RecordingMemory))
        << error;
    ASSERT_EQ(c.BufferSize(), int32_t(raw.size()));
    EXPECT_EQ(std::memcmp(c.Buffer(), raw.data(), raw.size()), 0);
    EXPECT_LE(Leap, 3.0);
    EXPECT_LE(*std::max_element(Asked.begin(), Asked.end()), 3 * raw.size());
}

// A growth that memory refuses is tried again with smaller steps: here no
// block may be more than a little above the payload, so the projection's
// margin is refused every time, and the payload still loads.
TEST(CatalogueInflate, ARefusedGrowthIsTriedAgainWithSmallerSteps) {
    std::string text;
    for (int i = 0; text.size() < 3000000; ++i)
        text += std::to_string(i * 7919 % 100003) + " ";
    const std::vector<uint8_t> raw = Raw({{"a.txt", 1, text}});
    const std::vector<uint8_t> stream = Compress(raw);
    Record(raw.size() + 4096);
    TAttachedFiles c;
    std::string error;
    ASSERT_TRUE(c.LoadFromBytes(stream.data(), uint32_t(stream.size()), error, &RecordingMemory))
        << error;
    EXPECT_EQ(c.BufferSize(), int32_t(raw.size()));
    EXPECT_EQ(Bytes(c, c.Files()[0]), text);
    EXPECT_GT(*std::max_element(Asked.begin(), Asked.end()), Ceiling); // some were refused
    EXPECT_EQ(Asked.back(), raw.size());
}

TEST(CatalogueInflate, RunningOutOfMemoryIsToldApartFromDamageAndSaysHowMuch) {
    const std::vector<uint8_t> raw = Raw({{"zeros.bin", 1, std::string(3000000, '\0')}});
    std::vector<uint8_t> stream = Compress(raw);
    Record(1 << 20);
    TAttachedFiles c;
    std::string error;
    EXPECT_FALSE(c.LoadFromBytes(stream.data(), uint32_t(stream.size()), error, &RecordingMemory));
    Ceiling = SIZE_MAX;
    EXPECT_EQ(error, "not enough memory");
    // Given up only when not even one step more could be had; what it
    // needed is what it set out to grow to.
    ASSERT_FALSE(Asked.empty());
    EXPECT_GT(Asked.back(), size_t(1) << 20);
    EXPECT_LE(Asked.back(), (size_t(1) << 20) + payload::GrowthStep(uint32_t(stream.size())));
    EXPECT_GT(c.MemoryNeeded(), Asked.back());
    EXPECT_TRUE(c.Files().empty());

    // A damaged stream is no question of memory.
    stream[stream.size() / 2] ^= 0x10;
    TAttachedFiles d;
    EXPECT_FALSE(d.LoadFromBytes(stream.data(), uint32_t(stream.size()), error, &RecordingMemory));
    EXPECT_NE(error, "not enough memory");
    EXPECT_EQ(d.MemoryNeeded(), 0u);
}

TEST(CatalogueInflate, ReservedMemoryGrowsAndShrinksInPlaceAndMovesOnlyBeyondItsRoom) {
    const size_t first = 1 << 20;
    auto* block = static_cast<uint8_t*>(ReservedMemory.Grow(nullptr, first));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, first);
    // Within eight times the first block: the same bytes, more of them.
    ASSERT_EQ(ReservedMemory.Grow(block, 6 * first), block);
    std::memset(block + first, 0xA5, 5 * first);
    ASSERT_EQ(ReservedMemory.Grow(block, 2 * first + 1), block);
    EXPECT_EQ(block[first - 1], 0x5A);
    EXPECT_EQ(block[2 * first], 0xA5);
    // Beyond it: elsewhere, with what was there.
    auto* moved = static_cast<uint8_t*>(ReservedMemory.Grow(block, 20 * first));
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, block);
    EXPECT_EQ(moved[0], 0x5A);
    EXPECT_EQ(moved[2 * first], 0xA5);
    moved[20 * first - 1] = 1;
    ReservedMemory.Release(moved);
}

TEST(CatalogueInflate, PayloadWithinFiveTimesNeedsNoGrowth) {
    std::string text;
    for (int i = 0; text.size() < 20000; ++i)
        text += std::to_string(i * 7919 % 10007) + " ";
    std::vector<uint8_t> raw = Raw({{"a.txt", 1, text}});
    std::vector<uint8_t> stream = Compress(raw);
    ASSERT_GE(stream.size() * 5, raw.size());
    payload::Inflated out = payload::InflatePayload(stream.data(), uint32_t(stream.size()),
                                                    uint32_t(stream.size() * 5));
    ASSERT_EQ(out.status, payload::InflateStatus::Ok);
    EXPECT_EQ(out.growths, 0u);
    EXPECT_EQ(out.size, int32_t(raw.size()));
}

TEST(CatalogueInflate, EstimateOfZeroStartsWithOneGrowthStep) {
    std::vector<uint8_t> raw = Raw({{"a", 1, std::string(10000, 'a')}});
    std::vector<uint8_t> stream = Compress(raw);
    payload::Inflated out = payload::InflatePayload(stream.data(), uint32_t(stream.size()), 0);
    ASSERT_EQ(out.status, payload::InflateStatus::Ok);
    EXPECT_EQ(out.size, int32_t(raw.size()));
    EXPECT_GT(out.growths, 0u);
}

TEST(CatalogueDamaged, FlippedByteTruncationAndMissingEndAreRefused) {
    std::string data;
    for (int i = 0; i < 5000; ++i)
        data += char('a' + (i * 31 + i / 7) % 26);
    std::vector<uint8_t> good = Compress(Raw({{"License.txt", 1, data}, {"kel.exe", 2, data}}));

    std::vector<uint8_t> flipped = good;
    flipped[flipped.size() / 2] ^= 0x55;
    std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<uint8_t> noEnd(good.begin(), good.end() - 4); // no Adler-32 trailer
    std::vector<uint8_t> notZlib = {'P', 'K', 3, 4, 0, 0, 0, 0};
    std::vector<uint8_t> empty;

    for (const auto* bad : {&flipped, &truncated, &noEnd, &notZlib, &empty}) {
        TAttachedFiles c;
        std::string error;
        EXPECT_FALSE(Load(c, *bad, &error)) << "variant of " << bad->size() << " bytes";
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(c.Files().empty());
    }
}

TEST(CatalogueDamaged, LastEntryRunningPastTheEndIsRefused) {
    std::vector<uint8_t> raw = Raw({{"a.txt", 1, "hello"}, {"b.txt", 2, "world"}});
    raw.resize(raw.size() - 1); // b.txt claims one byte more than there is
    TAttachedFiles c;
    std::string error;
    EXPECT_FALSE(Load(c, Compress(raw), &error));
    EXPECT_EQ(error, "an entry runs past the end of the data");

    // A header cut short: a name length with nothing after it.
    std::vector<uint8_t> cut = Raw({{"a.txt", 1, "hello"}});
    cut.push_back(200);
    EXPECT_FALSE(Load(c, Compress(cut)));

    // A size of 2 GiB or more is never a real file.
    std::vector<uint8_t> huge = Raw({{"a.txt", 1, ""}});
    huge[huge.size() - 1] = 0x80;
    EXPECT_FALSE(Load(c, Compress(huge)));
}

TEST(CatalogueDamaged, JunkAfterTheStreamEndIsIgnored) {
    std::vector<uint8_t> stream = Compress(Raw({{"a.txt", 1, "hello"}}));
    stream.insert(stream.end(), {1, 2, 3, 4, 5});
    TAttachedFiles c;
    ASSERT_TRUE(Load(c, stream));
    ASSERT_EQ(c.Files().size(), 1u);
    EXPECT_EQ(Bytes(c, c.Files()[0]), "hello");
}
