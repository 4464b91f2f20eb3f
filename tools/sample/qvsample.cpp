// qvsample: writes the sample product that the build packs into setup.exe.
//
//   qvsample OUTDIR
//
// Every file is our own content, made by fixed-seed generators, and every
// modification time is a fixed whole even second, so two runs write the
// same bytes with the same times and the packed payload never changes
// unless this program does. About a quarter of the bytes are text (word
// lists, templates, the licence), the rest incompressible binary data, so
// the payload compresses by well under 2 to 1. Other files already in
// OUTDIR are left alone (the build empties it first). kel.exe is not made
// here; the build adds the stand-in word processor.
#include "clip_images.h"
#include "gif_writer.h"
#include "sample_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <vector>

#ifndef QV_LICENSE_TXT
#error "QV_LICENSE_TXT must name the licence text (see tools/sample/CMakeLists.txt)"
#endif

namespace {

using sample::Bytes;
using sample::Random;

struct SampleFile {
    std::string name; // relative, "/" between folders
    Bytes data;
};

// 2024-05-17 08:00:00 UTC. Time zones differ from UTC by whole minutes, so
// an even second here is an even second in every local time.
constexpr time_t kReleaseTime = 1715932800;

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "qvsample: %s\n", message.c_str());
    std::exit(1);
}

void PutU16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// The committed licence text, with CR LF line ends whatever the checkout has.
Bytes LicenseText() {
    FILE* f = std::fopen(QV_LICENSE_TXT, "rb");
    if (!f) Fail(std::string("cannot open ") + QV_LICENSE_TXT + ": " + std::strerror(errno));
    Bytes out;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\r') continue;
        if (c == '\n') out.push_back('\r');
        out.push_back(uint8_t(c));
    }
    std::fclose(f);
    return out;
}

// A spellchecker word list: a short header, then one word per line.
Bytes WordListFile(const std::string& language, const std::vector<std::string>& words) {
    Bytes out;
    sample::AppendLines(out, "; Quorvale spellchecker word list\n; Language: " + language +
                                 "\n; Words: " + std::to_string(words.size()) + "\n");
    for (const std::string& w : words)
        sample::AppendLines(out, w + "\n");
    return out;
}

std::vector<std::string> AmericanWords() {
    return sample::WordList(sample::SeedOf("en-US"), 36000);
}

// Mostly the same words as the American list, with a share replaced.
std::vector<std::string> BritishWords() {
    std::vector<std::string> words = AmericanWords();
    Random rng(sample::SeedOf("en-GB"));
    for (std::string& w : words)
        if (rng.Below(6) == 0) w = sample::MakeWord(rng);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

// Compressed lexicons and caches: a small header, then packed data.
Bytes BinaryFile(const std::string& name, const char* magic, size_t size) {
    Bytes out;
    PutText(out, magic);
    PutU16(out, 3);
    PutU16(out, 3);
    Random rng(sample::SeedOf(name));
    sample::AppendNoise(out, rng, size - out.size());
    return out;
}

Bytes UserDictionary() {
    Bytes out;
    sample::AppendLines(out, "Quorvale\nKestrovane\nAldmere\nspellchecker\nhyphenation\n");
    return out;
}

// Liang-style patterns as text, then the packed pattern tree.
Bytes Hyphenation() {
    Bytes out;
    sample::AppendLines(out, "; Quorvale hyphenation patterns\n; Language: English\n");
    Random rng(sample::SeedOf("Hyphenation.dat"));
    std::string line;
    for (int i = 0; i < 14000; ++i) {
        std::string pattern = sample::MakeWord(rng).substr(0, 2 + rng.Below(4));
        pattern.insert(rng.Below(uint32_t(pattern.size() + 1)), 1, char('1' + rng.Below(5)));
        if (rng.Below(10) == 0) pattern = "." + pattern;
        if (line.size() + pattern.size() + 1 > 72) {
            sample::AppendLines(out, line + "\n");
            line.clear();
        }
        line += line.empty() ? pattern : " " + pattern;
    }
    sample::AppendLines(out, line + "\n");
    PutText(out, "QVHTREE");
    out.push_back(0);
    sample::AppendNoise(out, rng, 240 * 1024);
    return out;
}

// A sound: 16-bit mono noise under a falling envelope.
void AppendSound(Bytes& out, Random& rng, const std::string& name, uint32_t samples) {
    std::string padded = name;
    padded.resize(32, '\0');
    PutText(out, padded);
    PutU32(out, 22050);
    PutU16(out, 16);
    PutU16(out, 1);
    PutU32(out, samples);
    for (uint32_t i = 0; i < samples; ++i) {
        const int amplitude = int(1 + 14000ull * (samples - i) / samples);
        const int v = int(rng.Below(uint32_t(2 * amplitude + 1))) - amplitude;
        PutU16(out, uint32_t(v) & 0xFFFF);
    }
}

Bytes SoundScheme() {
    const char* const events[] = {"Start",    "Exit",       "Open document",  "Save document",
                                  "Print",    "Page break", "Spelling error", "Warning",
                                  "Question", "Autosave"};
    Bytes out;
    PutText(out, "QVASN");
    out.push_back(0x1A);
    PutU16(out, 1);
    PutU16(out, uint32_t(std::size(events)));
    Random rng(sample::SeedOf("Basic.asn"));
    for (const char* e : events)
        AppendSound(out, rng, e, 20000 + rng.Below(30000));
    return out;
}

struct TemplateInfo {
    const char* name;
    const char* title;
    const char* fields; // lines of the template's own fields
    int paragraphs;
};

Bytes Template(const TemplateInfo& t) {
    Random rng(sample::SeedOf(t.name));
    std::string text = "[Quorvale Template]\nVersion=3\nTitle=" + std::string(t.title) +
                       "\nPage=A4\nMargins=25,25,25,30\n\n[Styles]\n"
                       "Normal=Font:Garamond,11;SpaceAfter:6\n"
                       "Heading 1=Font:Garamond,16,Bold;SpaceBefore:12;SpaceAfter:6\n"
                       "Heading 2=Font:Garamond,13,Bold;SpaceBefore:10;SpaceAfter:4\n"
                       "Footer=Font:Garamond,8;Align:Centre\n\n[Fields]\n" +
                       t.fields + "\n[Body]\n";
    for (int i = 0; i < t.paragraphs; ++i) {
        if (i % 4 == 0) text += "\\style{Heading 2}" + sample::MakeSentence(rng, 3) + "\n";
        text += "\\style{Normal}" + sample::MakeParagraph(rng) + "\n";
    }
    text += "\\style{Footer}{Page} / {Pages}\n";
    Bytes out;
    sample::AppendLines(out, text);
    return out;
}

const TemplateInfo kTemplates[] = {
    {"Templates/Blank.kwt", "Blank document", "", 0},
    {"Templates/Letter.kwt", "Letter",
     "Sender Name=\nSender Address=\nRecipient=\nDate={Today}\nSubject=\n", 6},
    {"Templates/Memo.kwt", "Memo", "To=\nFrom=\nDate={Today}\nSubject=\n", 5},
    {"Templates/Fax Cover.kwt", "Fax cover sheet", "To=\nFax=\nFrom=\nPages=\n", 3},
    {"Templates/Business/Invoice.kwt", "Invoice",
     "Invoice Number=\nCustomer=\nDue Date=\nTax Rate=20\nCurrency=\n", 10},
    {"Templates/Business/Quotation.kwt", "Quotation", "Customer=\nValid Until=\nReference=\n", 12},
    {"Templates/Business/Meeting Minutes.kwt", "Meeting minutes",
     "Meeting=\nDate={Today}\nPresent=\nApologies=\n", 16},
    {"Templates/Personal/Greeting Card.kwt", "Greeting card", "Occasion=\nTo=\nFrom=\n", 2},
    {"Templates/Personal/Recipe Card.kwt", "Recipe card", "Dish=\nServes=\nTime=\n", 8},
    {"Templates/Reports/Report.kwt", "Report", "Author=\nDepartment=\nDate={Today}\n", 30},
    {"Templates/Reports/Thesis.kwt", "Thesis", "Author=\nSupervisor=\nInstitution=\nYear=\n", 60},
};

// Pictures and sounds of the clip library: a header, then packed data.
Bytes ClipFile(const std::string& name, const char* magic, uint32_t width, uint32_t height,
               size_t size) {
    Bytes out;
    PutText(out, magic);
    PutU32(out, width);
    PutU32(out, height);
    Random rng(sample::SeedOf(name));
    sample::AppendNoise(out, rng, size - out.size());
    return out;
}

std::vector<SampleFile> Product() {
    std::vector<SampleFile> files;
    auto add = [&files](std::string name, Bytes data) {
        files.push_back({std::move(name), std::move(data)});
    };

    add("License.txt", LicenseText());

    add("English (American).asc", WordListFile("English (American)", AmericanWords()));
    add("English (British).asc", WordListFile("English (British)", BritishWords()));
    add("english.zlx", BinaryFile("english.zlx", "QZLX", 620 * 1024));
    add("us.zlx", BinaryFile("us.zlx", "QZLX", 96 * 1024));
    add("uk.zlx", BinaryFile("uk.zlx", "QZLX", 104 * 1024));
    add("userdicen.tlx", UserDictionary());
    add("English (American).cache", BinaryFile("English (American).cache", "QVCACHE", 480 * 1024));
    add("Hyphenation.dat", Hyphenation());
    add("Basic.asn", SoundScheme());

    for (const TemplateInfo& t : kTemplates)
        add(t.name, Template(t));

    // The clip library and its index, whose lines name each clip below
    // the library's folder as the installed product sees it.
    std::string index = "; Quorvale clip library\n";
    auto clip = [&](const std::string& name, Bytes data, const std::string& keywords) {
        std::string shown = name;
        std::replace(shown.begin(), shown.end(), '/', '\\');
        index += shown + "\t" + keywords + "\n";
        add("Clip Library/" + name, std::move(data));
    };
    for (int n = 1; n <= 32; ++n)
        clip("Images/Bullets/Bullet " + std::to_string(n) + ".gif",
             sample::EncodeGif(sample::Bullet(n)), "bullet");
    clip("Images/Bullets/Target.gif", sample::EncodeGif(sample::Target()), "bullet target");
    for (int n = 1; n <= 4; ++n)
        clip("Images/Checkmarks/Check " + std::to_string(n) + ".gif",
             sample::EncodeGif(sample::Checkmark(n)), "check mark tick");
    clip("Images/Checkmarks/Cross.gif", sample::EncodeGif(sample::Checkmark(0)),
         "check mark cross");
    for (int n = 1; n <= 3; ++n)
        clip("Images/Dividers/Divider " + std::to_string(n) + ".gif",
             sample::EncodeGif(sample::Divider(n)), "divider line");
    const struct {
        const char* name;
        uint32_t width, height;
        size_t size;
    } pictures[] = {{"Images/Pictures/Harbour.qvp", 640, 480, 260 * 1024},
                    {"Images/Pictures/Lighthouse.qvp", 480, 640, 230 * 1024},
                    {"Images/Pictures/Meadow.qvp", 800, 600, 310 * 1024},
                    {"Images/Pictures/Old Town.qvp", 640, 427, 190 * 1024}};
    for (const auto& p : pictures)
        clip(p.name, ClipFile(p.name, "QVPIC1", p.width, p.height, p.size), "picture");
    const struct {
        const char* name;
        uint32_t milliseconds;
        size_t size;
    } sounds[] = {{"Sounds/Applause.qvs", 2400, 105 * 1024}, {"Sounds/Chime.qvs", 900, 40 * 1024}};
    for (const auto& s : sounds)
        clip(s.name, ClipFile(s.name, "QVSND1", s.milliseconds, 22050, s.size), "sound");
    Bytes indexBytes;
    sample::AppendLines(indexBytes, index);
    add("Clip Library/Clips.lst", std::move(indexBytes));
    return files;
}

void WriteFile(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot create " + path + ": " + std::strerror(errno));
    const bool written = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (std::fclose(f) != 0 || !written) Fail("cannot write " + path);
}

void SetTime(const std::string& path, time_t when) {
    const timeval times[2] = {{when, 0}, {when, 0}};
    if (utimes(path.c_str(), times) != 0)
        Fail("cannot set the time of " + path + ": " + std::strerror(errno));
}

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        Fail("cannot create " + path + ": " + std::strerror(errno));
}

// Creates the folders of a relative name below `root`; returns them, outermost first.
std::vector<std::string> MakeParents(const std::string& root, const std::string& name) {
    std::vector<std::string> made;
    for (size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1)) {
        made.push_back(root + "/" + name.substr(0, slash));
        MakeFolder(made.back());
    }
    return made;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qvsample OUTDIR\n");
        return 2;
    }
    const std::string root = argv[1];
    MakeFolder(root);
    std::vector<std::string> folders;
    const std::vector<SampleFile> files = Product();
    time_t when = kReleaseTime;
    for (const SampleFile& file : files) {
        for (std::string& folder : MakeParents(root, file.name))
            folders.push_back(std::move(folder));
        const std::string path = root + "/" + file.name;
        WriteFile(path, file.data);
        SetTime(path, when);
        when -= 3602; // an hour apart, give or take, each an even second
    }
    // Folders last: writing their files changed their times.
    for (const std::string& folder : folders)
        SetTime(folder, kReleaseTime);
    SetTime(root, kReleaseTime);
    return 0;
}
