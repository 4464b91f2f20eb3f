// The sample product generator, qvsample: the names the installer places,
// fixed bytes and times, and a payload of the size and ratio the installer
// is built for.
#include "gif_reader.h"
#include "host_files.h"

#include <cctype>
#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace hosttest;

namespace {

std::string Generate(const std::string& scratch) {
    const std::string dir = ScratchDir(scratch) + "/product";
    const RunResult run = RunProgram({QVSAMPLE, dir});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    return dir;
}

class SampleProduct : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new std::string(Generate("sample/first"));
        tree_ = new std::vector<TreeFile>(ReadTree(*dir_));
    }
    static void TearDownTestSuite() {
        delete dir_;
        delete tree_;
    }
    static const TreeFile* Find(const std::string& name) {
        for (const TreeFile& f : *tree_)
            if (f.name == name) return &f;
        return nullptr;
    }
    static std::string* dir_;
    static std::vector<TreeFile>* tree_;
};
std::string* SampleProduct::dir_;
std::vector<TreeFile>* SampleProduct::tree_;

TEST_F(SampleProduct, HoldsEveryFileTheInstallerPlaces) {
    std::vector<std::string> names = {"License.txt",
                                      "English (American).asc",
                                      "English (British).asc",
                                      "english.zlx",
                                      "us.zlx",
                                      "uk.zlx",
                                      "userdicen.tlx",
                                      "English (American).cache",
                                      "Hyphenation.dat",
                                      "Basic.asn",
                                      "Clip Library/Images/Bullets/Target.gif"};
    for (int n = 1; n <= 32; ++n)
        names.push_back("Clip Library/Images/Bullets/Bullet " + std::to_string(n) + ".gif");
    for (const std::string& name : names) {
        const TreeFile* f = Find(name);
        ASSERT_NE(f, nullptr) << name;
        EXPECT_FALSE(f->data.empty()) << name;
    }
    // kel.exe is added by the build, not made here.
    EXPECT_EQ(Find("kel.exe"), nullptr);

    std::set<std::string> templateFolders;
    int checkmarks = 0, otherClips = 0;
    for (const TreeFile& f : *tree_) {
        if (f.name.rfind("Templates/", 0) == 0)
            templateFolders.insert(f.name.substr(0, f.name.rfind('/')));
        if (f.name.rfind("Clip Library/Images/Checkmarks/", 0) == 0) ++checkmarks;
        if (f.name.rfind("Clip Library/", 0) == 0 &&
            f.name.rfind("Clip Library/Images/Bullets/", 0) != 0 &&
            f.name.rfind("Clip Library/Images/Checkmarks/", 0) != 0)
            ++otherClips;
    }
    EXPECT_GE(templateFolders.size(), 2u) << "templates in the folder and a subfolder";
    EXPECT_GE(checkmarks, 2);
    EXPECT_GE(otherClips, 2);
}

TEST_F(SampleProduct, LicenceIsCrLfPlainTextOfOurOwn) {
    const TreeFile* licence = Find("License.txt");
    ASSERT_NE(licence, nullptr);
    const std::string text(licence->data.begin(), licence->data.end());
    EXPECT_GT(text.size(), 8000u) << "a few pages";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        ASSERT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    EXPECT_NE(text.find("Quorvale Word Processor"), std::string::npos);
    EXPECT_NE(text.find("The Quorvale Word Processor Team"), std::string::npos);
    // One line per paragraph, so the licence box wraps it at its own width:
    // no line of text runs on into a next one that starts mid-sentence.
    for (size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", end + 2)) {
        if (end == 0 || text[end - 1] == '\n') continue; // an empty line ends a paragraph
        size_t next = end + 2;
        while (next < text.size() && text[next] == ' ')
            ++next;
        EXPECT_FALSE(next < text.size() && std::islower(static_cast<unsigned char>(text[next])))
            << "a paragraph broken at byte " << end;
    }
}

TEST_F(SampleProduct, TimesAreFixedEvenSecondsOfThe2020s) {
    const time_t from = 1577836800; // 2020-01-01 00:00 UTC
    const time_t to = 1893456000;   // 2030-01-01 00:00 UTC
    std::set<time_t> distinct;
    for (const TreeFile& f : *tree_) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.mtime % 2, 0);
        EXPECT_GE(f.mtime, from);
        EXPECT_LT(f.mtime, to);
        distinct.insert(f.mtime);
    }
    EXPECT_GT(distinct.size(), tree_->size() / 2) << "times vary from file to file";
}

TEST_F(SampleProduct, SecondRunWritesTheSameTree) {
    const std::string again = Generate("sample/second");
    const std::vector<TreeFile> second = ReadTree(again);
    ASSERT_EQ(second.size(), tree_->size());
    for (size_t i = 0; i < second.size(); ++i) {
        SCOPED_TRACE((*tree_)[i].name);
        EXPECT_EQ(second[i].name, (*tree_)[i].name);
        EXPECT_EQ(second[i].mtime, (*tree_)[i].mtime);
        EXPECT_TRUE(second[i].data == (*tree_)[i].data);
    }
}

TEST_F(SampleProduct, PacksToAFewMegabytesAtLessThanTwoToOne) {
    const std::string payload = ScratchDir("sample/pack") + "/payload.bin";
    const RunResult run = RunProgram({QVPACK, payload, *dir_});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const Unpacked u = Unpack(payload);
    ASSERT_TRUE(u.ok);
    EXPECT_EQ(u.entries.size(), tree_->size());
    EXPECT_GE(u.inflated.size, 3 << 20);
    EXPECT_LE(u.inflated.size, 6 << 20);
    EXPECT_LT(double(u.inflated.size), 2.0 * double(u.packedSize));
    // The installer's first guess of five times the packed size is enough.
    EXPECT_EQ(u.inflated.growths, 0u);
}

TEST_F(SampleProduct, EveryGifIsAValidPicture) {
    int gifs = 0;
    for (const TreeFile& f : *tree_) {
        if (f.name.size() < 4 || f.name.compare(f.name.size() - 4, 4, ".gif") != 0) continue;
        SCOPED_TRACE(f.name);
        ++gifs;
        const GifPicture g = ReadGif(f.data);
        ASSERT_EQ(g.error, "");
        for (uint8_t p : g.pixels)
            ASSERT_LT(p, g.colours);
        if (f.name.find("/Bullets/") == std::string::npos) continue;
        // A bullet: 16 x 16, see-through corners, coloured left of the middle
        // (rings are hollow).
        EXPECT_EQ(g.width, 16);
        EXPECT_EQ(g.height, 16);
        ASSERT_GE(g.transparent, 0);
        EXPECT_EQ(g.pixels[0], g.transparent);
        EXPECT_NE(g.pixels[8 * 16 + 3], g.transparent);
    }
    EXPECT_GE(gifs, 38);
}

TEST_F(SampleProduct, BulletsDifferFromOneAnother) {
    std::map<Bytes, std::string> seen;
    for (int n = 1; n <= 32; ++n) {
        const std::string name = "Clip Library/Images/Bullets/Bullet " + std::to_string(n) + ".gif";
        const TreeFile* f = Find(name);
        ASSERT_NE(f, nullptr);
        auto [at, fresh] = seen.emplace(f->data, name);
        EXPECT_TRUE(fresh) << name << " repeats " << at->second;
    }
}

} // namespace
