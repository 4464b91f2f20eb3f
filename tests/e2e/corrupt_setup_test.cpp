// Damaged copies of setup.exe, as a broken download or a tampered file
// would give them: one flipped byte, a cut payload, junk inside the stream,
// an entry that claims more bytes than there are, an empty payload. Each
// ends with the program's own message and exit code 0, writes no file and
// creates no registry key; an empty but sound payload gives a wizard with
// nothing to install. The signed program installs, and still notices a
// changed byte.
#include "wizard_person.h"

#include <algorithm>
#include <cstring>

using namespace wizard;

namespace {
std::vector<std::string> FolderEntries(const std::string& folder, const char* pattern = "*") {
    std::vector<std::string> items;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(folder, pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return items;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") items.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return items;
}

std::string TempFolder() {
    char path[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, path);
    return path;
}

std::string ShippedPayload() {
    bool found = false;
    std::string packed = ReadResource(SetupExe(), "FILES", "FILES", &found);
    if (!found) Fail("setup.exe has no payload resource");
    return packed;
}

// The shipped payload inflated: the packed entries.
std::string ShippedEntries() {
    const std::string packed = ShippedPayload();
    payload::Inflated inflated = payload::InflatePayload(
        reinterpret_cast<const uint8_t*>(packed.data()), uint32_t(packed.size()), 0);
    if (inflated.status != payload::InflateStatus::Ok) Fail("the shipped payload does not inflate");
    return std::string(reinterpret_cast<const char*>(inflated.data.get()), size_t(inflated.size));
}

// What the catalogue makes of a payload: true when it would load.
bool CatalogueAccepts(const std::string& packed) {
    payload::Inflated inflated =
        payload::InflatePayload(reinterpret_cast<const uint8_t*>(packed.data()),
                                uint32_t(packed.size()), uint32_t(packed.size() * 5));
    std::vector<payload::EntryRecord> records;
    return inflated.status == payload::InflateStatus::Ok &&
           payload::IndexPayload(inflated.data.get(), inflated.size, records) ==
               payload::IndexStatus::Ok;
}

// The entries with the data size of entry number `index` replaced.
std::string WithEntrySize(std::string entries, size_t index, uint32_t size) {
    size_t p = 0;
    for (size_t i = 0; i < index && p < entries.size(); ++i) {
        const size_t n = uint8_t(entries[p]);
        uint32_t s;
        std::memcpy(&s, &entries[p + 9 + n], 4);
        p += 13 + n + s;
    }
    if (p >= entries.size()) {
        Fail("the shipped payload has fewer entries than the test needs");
        return entries;
    }
    std::memcpy(&entries[p + 9 + uint8_t(entries[p])], &size, 4);
    return entries;
}

struct TVariant {
    std::string Name;
    std::string Payload; // the bytes of the resource
};

// Every damaged payload the test tries on the real program.
std::vector<TVariant> DamagedVariants() {
    const std::string packed = ShippedPayload();
    const std::string entries = ShippedEntries();
    std::vector<TVariant> variants;
    // One byte flipped: in the zlib header, across the deflate data, in the
    // checksum.
    for (size_t at :
         {size_t(0), size_t(1), size_t(2), packed.size() / 7, packed.size() / 3, packed.size() / 2,
          packed.size() * 5 / 6, packed.size() - 5, packed.size() - 4, packed.size() - 1}) {
        std::string p = packed;
        p[at] = char(p[at] ^ 0x10);
        variants.push_back({"byte " + std::to_string(at) + " flipped", p});
    }
    for (size_t length : {size_t(1), size_t(2), size_t(3), packed.size() / 4, packed.size() / 2,
                          packed.size() - 5, packed.size() - 1})
        variants.push_back(
            {"cut to " + std::to_string(length) + " bytes", packed.substr(0, length)});
    variants.push_back({"empty resource", ""});
    // Junk after the last entry, inside the stream: a partial entry.
    for (const std::string& junk :
         {std::string(1, '\0'), std::string(12, '\0'), std::string("garbage"),
          std::string("\x05"
                      "abcde"
                      "12345678"
                      "\xFF\xFF\xFF\x7F",
                      18)})
        variants.push_back(
            {"junk of " + std::to_string(junk.size()) + " bytes inside", Deflate(entries + junk)});
    // Entries whose size runs past the end of the data.
    variants.push_back({"first entry 2 GiB", Deflate(WithEntrySize(entries, 0, 0x7FFFFFFF))});
    variants.push_back({"first entry 4 GiB", Deflate(WithEntrySize(entries, 0, 0xFFFFFFFF))});
    variants.push_back({"second entry larger than the rest",
                        Deflate(WithEntrySize(entries, 1, uint32_t(entries.size())))});
    return variants;
}

// The product state (keys, links) is cleared around every test.
class CorruptSetup : public testing::Test {};
} // namespace

TEST_F(CorruptSetup, EveryDamagedPayloadEndsWithTheMessageAndLeavesNoTrace) {
    const std::vector<TVariant> variants = DamagedVariants();
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> tempBefore = FolderEntries(TempFolder(), "~Quorvale*");
    int tried = 0;
    for (const TVariant& variant : variants) {
        SCOPED_TRACE(variant.Name);
        ASSERT_FALSE(CatalogueAccepts(variant.Payload)) << "not damaged after all";
        const std::string scratch = ScratchDir("CorruptSetup\\" + std::to_string(tried++));
        const std::string exe = JoinPath(scratch, "setup.exe");
        ASSERT_TRUE(MakeSetupCopy(exe, &variant.Payload));
        const std::string dest = JoinPath(scratch, "Quorvale");
        Launch launch = TPerson::Into(dest);
        launch.dir = scratch;
        {
            Process setup(exe, launch);
            const Message message = WaitStartupMessage(setup);
            ASSERT_TRUE(message.window) << setup.Describe();
            EXPECT_EQ(message.caption, kWizardCaption);
            EXPECT_EQ(message.text.rfind("The setup program is damaged", 0), 0u) << message.text;
            EXPECT_EQ(message.buttons, std::vector<std::string>{"OK"});
            EXPECT_EQ(setup.Windows(), std::vector<HWND>{message.window}) << setup.Describe();
            ASSERT_TRUE(Answer(message, "OK"));
            EXPECT_EQ(setup.WaitExit(), 0);
        }
        EXPECT_EQ(FolderEntries(scratch), std::vector<std::string>{"setup.exe"});
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
    EXPECT_EQ(FolderEntries(TempFolder(), "~Quorvale*"), tempBefore);
    RecordProperty("variants", tried);
    std::printf("damaged setup programs tried: %d\n", tried);
}

// Without the wizard the payload is unpacked before anything else is done:
// damage found at its very end (the checksum) ends the run with 1603,
// nothing written but the log, which says why.
TEST_F(CorruptSetup, ASilentRunOfADamagedSetupProgramChangesNothing) {
    std::string payload = ShippedPayload();
    payload.back() = char(~payload.back());
    const std::string scratch = ScratchDir();
    const std::string exe = JoinPath(scratch, "setup.exe");
    ASSERT_TRUE(MakeSetupCopy(exe, &payload));
    const std::string log = JoinPath(scratch, "setup.log");
    Launch launch;
    launch.args = {"-d" + JoinPath(scratch, "Quorvale"), "/S", "/LOG=" + log};
    Process setup(exe, launch);
    EXPECT_EQ(setup.WaitExit(), 1603);
    std::vector<std::string> items = FolderEntries(scratch);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"setup.exe", "setup.log"}));
    EXPECT_NE(ReadFile(log).find("The setup program is damaged: the compressed data is corrupt"),
              std::string::npos);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

// The same damage at 200 places spread over the payload, through the very
// code the catalogue loads with: each one is noticed.
TEST_F(CorruptSetup, AFlippedByteAnywhereInThePayloadIsNoticed) {
    const std::string packed = ShippedPayload();
    ASSERT_GT(packed.size(), 200u);
    int flipped = 0;
    for (size_t at = 0; at < packed.size(); at += packed.size() / 200 + 1) {
        for (const uint8_t mask : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
            std::string p = packed;
            p[at] = char(p[at] ^ mask);
            EXPECT_FALSE(CatalogueAccepts(p)) << "byte " << at << " ^ " << int(mask);
            ++flipped;
        }
    }
    std::printf("flipped bytes tried in memory: %d\n", flipped);
}

TEST_F(CorruptSetup, AnEmptyPayloadGivesAWizardWithNothingToInstall) {
    const std::string scratch = ScratchDir();
    const std::string empty = Deflate("");
    const std::string exe = JoinPath(scratch, "setup.exe");
    ASSERT_TRUE(MakeSetupCopy(exe, &empty));
    const std::string dest = JoinPath(scratch, "Quorvale");
    TPerson person(exe, TPerson::Into(dest));
    ASSERT_TRUE(person.Wizard);
    // The licence is missing: its question comes, and Ignore goes on
    // without it.
    ASSERT_TRUE(person.Press(kNext));
    const Message question = person.Question();
    EXPECT_EQ(question.caption, "Error");
    ASSERT_TRUE(Answer(question, "&Ignore"));
    ASSERT_TRUE(person.WaitPage(kLicenseTitle));
    ASSERT_TRUE(person.WalkTo(kFinishTitle));
    ASSERT_TRUE(person.Press(kFinish));
    EXPECT_EQ(person.Setup.WaitExit(), 0);
    EXPECT_FALSE(FileExists(JoinPath(dest, "kel.exe")));
    for (const std::string& item : FolderEntries(dest))
        EXPECT_EQ(item, "Install.log");
}

// The program as a release ships it, signed (the signing test signs it with
// a certificate authority of its own): the signature, appended to the file,
// leaves the payload whole, and a byte changed in the signed file is still
// noticed by the program itself, whatever the signature's check would say.
TEST_F(CorruptSetup, ASignedSetupInstallsAndStillNoticesAChangedByte) {
    const std::string signedExe = QV_SIGNED_SETUP_EXE;
    std::string signedBytes, builtBytes;
    ASSERT_TRUE(ReadFile(signedExe, signedBytes)) << "the signing test makes " << signedExe;
    ASSERT_TRUE(ReadFile(SetupExe(), builtBytes));
    ASSERT_GT(signedBytes.size(), builtBytes.size()) << "not signed";

    const std::string scratch = ScratchDir();
    const std::string dest = JoinPath(scratch, "Quorvale");
    const std::vector<TEntry> entries = PayloadOf(signedExe);
    {
        TPerson person(signedExe, TPerson::Into(dest));
        ASSERT_TRUE(person.WalkTo(kFinishTitle));
        ASSERT_TRUE(person.Press(kFinish));
        EXPECT_EQ(person.Setup.WaitExit(), 0);
    }
    for (const char* name : {"kel.exe", "License.txt"}) {
        const TEntry* entry = FindEntry(entries, name);
        ASSERT_TRUE(entry) << name;
        EXPECT_TRUE(IsInstalled(JoinPath(dest, name), *entry));
    }
    ClearProductState();

    // One byte of the payload changed where it lies in the signed file.
    bool found = false;
    const std::string packed = ReadResource(signedExe, "FILES", "FILES", &found);
    ASSERT_TRUE(found);
    const size_t at = signedBytes.find(packed);
    ASSERT_NE(at, std::string::npos);
    signedBytes[at + packed.size() / 2] ^= 0x10;
    const std::string changed = JoinPath(scratch, "changed.exe");
    ASSERT_TRUE(WriteFile(changed, signedBytes));
    const std::string changedDest = JoinPath(scratch, "Changed");
    Process setup(changed, TPerson::Into(changedDest));
    const Message message = WaitStartupMessage(setup);
    ASSERT_TRUE(message.window) << setup.Describe();
    EXPECT_EQ(message.text.rfind("The setup program is damaged", 0), 0u) << message.text;
    ASSERT_TRUE(Answer(message, "OK"));
    EXPECT_EQ(setup.WaitExit(), 0);
    EXPECT_FALSE(FileExists(changedDest));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}
