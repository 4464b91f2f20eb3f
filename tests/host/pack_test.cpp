// The packer, qvpack, run as the build runs it; its output read back with
// the setup program's own inflate and index code.
#include "host_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace hosttest;

namespace {

// A local clock reading in the tests' fixed zone.
time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return mktime(&t);
}

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

class PackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = ScratchDir(std::string("pack/") + info->test_suite_name() + "." + info->name());
        product_ = dir_ + "/product";
        payload_ = dir_ + "/payload.bin";
        mkdir(product_.c_str(), 0755);
    }

    // A file in the product folder; `name` uses "/" between folders.
    void Put(const std::string& name, const Bytes& data, time_t when) {
        WriteBytes(product_ + "/" + name, data);
        SetMtime(product_ + "/" + name, when);
        expected_[Stored(name)] = {data, when};
    }

    static std::string Stored(std::string name) {
        std::replace(name.begin(), name.end(), '/', '\\');
        return name;
    }

    RunResult Pack(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {QVPACK, payload_, product_};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args);
    }

    struct Expected {
        Bytes data;
        time_t mtime;
    };
    std::string dir_, product_, payload_;
    std::map<std::string, Expected> expected_; // by stored name
};

// A relative name of exactly `length` bytes made of folders of 100 bytes
// or less (the file system's limit per element is 255).
std::string NestedName(size_t length) {
    std::string name;
    char letter = 'a';
    while (length - name.size() > 100) {
        name += Repeat(letter++, 99) + "/";
    }
    return name + Repeat('f', length - name.size() - 4) + ".bin";
}

TEST_F(PackTest, RoundTripKeepsEveryNameSizeByteAndStamp) {
    Put("License.txt", Bytes{'L', 'i', 'c', '\r', '\n'}, LocalTime(2023, 3, 1, 9, 15, 0));
    Put("empty.dat", {}, LocalTime(2022, 12, 24, 18, 0, 2));
    Put("bin/all bytes.bin", SomeBytes(1, 200000), LocalTime(2024, 7, 14, 15, 42, 37));
    Put("Templates/Business/Invoice (draft).kwt", SomeBytes(2, 3000),
        LocalTime(2021, 1, 31, 23, 59, 59));
    Put(NestedName(255), SomeBytes(3, 777), LocalTime(2020, 10, 25, 2, 30, 11));
    ASSERT_EQ(Stored(NestedName(255)).size(), 255u);
    // One more file from outside the folder under a name of its own.
    const std::string extra = dir_ + "/outside/kel.exe";
    WriteBytes(extra, SomeBytes(4, 5000));
    SetMtime(extra, LocalTime(2024, 5, 17, 10, 0, 1));
    expected_["kel.exe"] = {SomeBytes(4, 5000), Mtime(extra)};

    const RunResult run = Pack({extra + "=kel.exe"});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    const Unpacked u = Unpack(payload_);
    ASSERT_TRUE(u.ok);
    ASSERT_EQ(u.entries.size(), expected_.size());
    for (const payload::EntryRecord& e : u.entries) {
        SCOPED_TRACE(e.name);
        auto found = expected_.find(e.name);
        ASSERT_NE(found, expected_.end());
        EXPECT_EQ(size_t(e.size), found->second.data.size());
        EXPECT_EQ(u.DataOf(e), found->second.data);
        EXPECT_EQ(e.date, ExpectedStamp(found->second.mtime));
    }
}

TEST_F(PackTest, StampIsLocalDayCountWithSecondsRoundedDownToEven) {
    // Midnight opening the year 2000 is day 36526; the odd second drops.
    Put("y2k.txt", {'x'}, LocalTime(2000, 1, 1, 0, 0, 1));
    // Summer time (UTC+2) and winter time (UTC+1): the stamp shows the
    // local clock, not UTC.
    Put("summer.txt", {'s'}, LocalTime(2021, 7, 14, 15, 42, 37));
    Put("winter.txt", {'w'}, LocalTime(2021, 1, 14, 15, 42, 36));
    ASSERT_EQ(Pack().exitCode, 0);

    const Unpacked u = Unpack(payload_);
    ASSERT_TRUE(u.ok);
    ASSERT_EQ(u.entries.size(), 3u);
    std::map<std::string, double> stamp;
    for (const auto& e : u.entries)
        stamp[e.name] = e.date;
    EXPECT_EQ(stamp["y2k.txt"], 36526.0);
    for (const char* name : {"summer.txt", "winter.txt"}) {
        SCOPED_TRACE(name);
        const double day = std::floor(stamp[name]);
        EXPECT_EQ(std::lround((stamp[name] - day) * 86400), 15 * 3600 + 42 * 60 + 36);
        EXPECT_EQ(stamp[name], day + (15 * 3600 + 42 * 60 + 36) / 86400.0);
    }
    EXPECT_EQ(std::floor(stamp["summer.txt"]) - std::floor(stamp["winter.txt"]), 181.0);
}

TEST_F(PackTest, EntriesAreInByteWiseOrderOfStoredNames) {
    // Stored names compare with "\" between folders, byte by byte, bytes
    // unsigned: " " (0x20) < "B" < "\" (0x5C) < "_" (0x5F) < "a" < "z" < 0xE9.
    const time_t when = LocalTime(2024, 1, 2, 3, 4, 6);
    for (const char* name : {"a.txt", "A_b.txt", "a\xE9.txt", "A/b.txt", "A b.txt", "AB.txt",
                             "az.txt", "Zeta.txt", "A/B/c.txt"})
        Put(name, {'1'}, when);
    ASSERT_EQ(Pack().exitCode, 0);

    const Unpacked u = Unpack(payload_);
    ASSERT_TRUE(u.ok);
    std::vector<std::string> names;
    for (const auto& e : u.entries)
        names.push_back(e.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"A b.txt", "AB.txt", "A\\B\\c.txt", "A\\b.txt", "A_b.txt",
                                        "Zeta.txt", "a.txt", "az.txt", "a\xE9.txt"}));
}

TEST_F(PackTest, SameFilesGiveTheSameBytesWhateverTheirCreationOrder) {
    const std::vector<std::string> names = {"one.txt", "two/three.bin", "two/four.bin",
                                            "five/six/seven.dat", "eight.txt"};
    for (size_t i = 0; i < names.size(); ++i)
        Put(names[i], SomeBytes(uint32_t(i), 1000 * i), LocalTime(2022, 2, 2, 2, 2, int(2 * i)));
    ASSERT_EQ(Pack().exitCode, 0);
    const Bytes first = ReadBytes(payload_);

    // The same files made in the opposite order in another folder.
    const std::string other = dir_ + "/other";
    for (size_t i = names.size(); i-- > 0;) {
        WriteBytes(other + "/" + names[i], SomeBytes(uint32_t(i), 1000 * i));
        SetMtime(other + "/" + names[i], LocalTime(2022, 2, 2, 2, 2, int(2 * i)));
    }
    const std::string otherPayload = dir_ + "/other.bin";
    ASSERT_EQ(RunProgram({QVPACK, otherPayload, other}).exitCode, 0);
    ASSERT_EQ(Pack().exitCode, 0);

    EXPECT_FALSE(first.empty());
    EXPECT_EQ(ReadBytes(payload_), first);
    EXPECT_EQ(ReadBytes(otherPayload), first);
}

TEST_F(PackTest, StreamIsZlibWithBestCompressionHeader) {
    Put("text.txt", Bytes(5000, 'q'), LocalTime(2023, 6, 6, 6, 6, 6));
    ASSERT_EQ(Pack().exitCode, 0);
    const Bytes packed = ReadBytes(payload_);
    ASSERT_GE(packed.size(), 6u);
    EXPECT_EQ(packed[0], 0x78);
    EXPECT_EQ(packed[1], 0xDA);
    const Unpacked u = Unpack(payload_);
    EXPECT_TRUE(u.ok);
    EXPECT_EQ(u.inflated.size, int32_t(payload::kEntryFixedBytes + 8 + 5000));
}

TEST_F(PackTest, EmptyFolderGivesPayloadWithoutEntries) {
    ASSERT_EQ(Pack().exitCode, 0);
    const Unpacked u = Unpack(payload_);
    EXPECT_TRUE(u.ok);
    EXPECT_EQ(u.inflated.size, 0);
    EXPECT_TRUE(u.entries.empty());
}

// Every refusal: a non-zero exit, a message naming the fault, no payload.
class PackRefusal : public PackTest {
  protected:
    void ExpectRefused(const std::vector<std::string>& extra, const std::string& message) {
        const RunResult run = Pack(extra);
        EXPECT_NE(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
        EXPECT_FALSE(IsFile(payload_));
    }
    std::string Source() {
        const std::string source = dir_ + "/source.txt";
        WriteText(source, "x");
        return source;
    }
};

TEST_F(PackRefusal, NameOver255BytesGivenAsArgument) {
    ExpectRefused({Source() + "=" + Repeat('n', 256)}, "longer than 255 bytes");
}

TEST_F(PackRefusal, NameOver255BytesInTheFolder) {
    Put(NestedName(256), {'x'}, LocalTime(2023, 1, 1, 1, 1, 2));
    ExpectRefused({}, "longer than 255 bytes");
}

TEST_F(PackRefusal, AbsoluteNames) {
    for (const char* name : {"\\abs.txt", "/abs.txt", "C:\\abs.txt", "C:abs.txt"}) {
        SCOPED_TRACE(name);
        ExpectRefused({Source() + "=" + name}, "absolute name");
    }
}

TEST_F(PackRefusal, NamesWithParentOrCurrentFolderElements) {
    ExpectRefused({Source() + "=..\\up.txt"}, "\"..\" element");
    ExpectRefused({Source() + "=Templates\\..\\..\\up.txt"}, "\"..\" element");
    ExpectRefused({Source() + "=Templates\\..\\x.txt"}, "\"..\" element");
    ExpectRefused({Source() + "=.\\here.txt"}, "\".\" element");
}

TEST_F(PackRefusal, NamesWindowsWouldStoreAsAnotherFile) {
    // "a:b" would be the stream "b" of the file "a".
    for (const char* name : {"ab:c.txt", "what?.txt", "a|b.txt", "tab\there.txt"}) {
        SCOPED_TRACE(name);
        ExpectRefused({Source() + "=" + name}, "character Windows does not allow");
    }
    for (const char* name : {"Templates\\CON.kwt", "nul", "Clip Library\\com1.gif", "LPT9.txt"}) {
        SCOPED_TRACE(name);
        ExpectRefused({Source() + "=" + name}, "device name");
    }
    for (const char* name : {"trailing.", "folder \\x.txt", "x.txt "}) {
        SCOPED_TRACE(name);
        ExpectRefused({Source() + "=" + name}, "ending in a dot or blank");
    }
}

TEST_F(PackRefusal, NamesThatOtherwiseStayAllowed) {
    // Near misses of the rules above are ordinary names.
    Put("CONSOLE.txt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    Put("COM10.txt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    Put(".hidden", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    Put("a..b.txt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    Put("English (American).asc", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    const RunResult run = Pack();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Unpack(payload_).entries.size(), 5u);
}

TEST_F(PackRefusal, TwoFilesForOneName) {
    Put("Readme.txt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    ExpectRefused({Source() + "=Readme.txt"}, "two files for one name");
    // Windows folds letter case: these would overwrite one another.
    ExpectRefused({Source() + "=README.TXT"}, "two files for one name");
    Put("Templates/a.kwt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    Put("TEMPLATES/A.KWT", {'2'}, LocalTime(2023, 1, 1, 1, 1, 2));
    ExpectRefused({}, "two files for one name");
}

TEST_F(PackRefusal, BackslashInsideAFileName) {
    // On this side "\" is an ordinary character; in the payload it would
    // make a folder.
    Put("a\\b.txt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    ExpectRefused({}, "name with a \"\\\"");
}

TEST_F(PackRefusal, FolderLinkedIntoItself) {
    Put("sub/file.txt", {'1'}, LocalTime(2023, 1, 1, 1, 1, 2));
    ASSERT_EQ(symlink("..", (product_ + "/sub/loop").c_str()), 0);
    ExpectRefused({}, "folder linked into itself");
}

TEST_F(PackRefusal, FileOf2GiB) {
    const std::string big = product_ + "/big.bin";
    const int fd = open(big.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const bool made = ftruncate(fd, off_t(1) << 31) == 0;
    close(fd);
    struct stat st;
    if (!made || stat(big.c_str(), &st) != 0 || st.st_blocks * 512 > (1 << 20)) {
        unlink(big.c_str());
        GTEST_SKIP() << "this file system cannot make sparse files";
    }
    ExpectRefused({}, "2 GiB or more");
    unlink(big.c_str());
}

TEST_F(PackRefusal, MissingSourceOrMalformedArgument) {
    ExpectRefused({dir_ + "/no such file=x.txt"}, "not a file");
    ExpectRefused({"no-equals-sign"}, "expected SOURCE=NAME");
    const RunResult usage = RunProgram({QVPACK, payload_});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.output.find("usage"), std::string::npos);
}

} // namespace
