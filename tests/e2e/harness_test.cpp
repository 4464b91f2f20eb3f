// The harness itself, against a small fixture program (fixture.cpp), so that
// a failing end-to-end test points at setup.exe, not at its tools.
#include "e2e.h"
#include "png_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace e2e;

namespace {
std::string FixtureExe() {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder = self;
    return JoinPath(folder.substr(0, folder.find_last_of('\\')), "e2e_fixture.exe");
}

Launch Args(std::vector<std::string> args) {
    Launch launch;
    launch.args = std::move(args);
    return launch;
}

// Collects the harness's failures instead of failing the test, for checks
// of the failure paths themselves.
class CapturedFailures {
  public:
    CapturedFailures() { SetFailureHandler(&CapturedFailures::Record); }
    ~CapturedFailures() {
        SetFailureHandler(nullptr);
        Messages().clear();
    }
    static std::vector<std::string>& Messages() {
        static std::vector<std::string> messages;
        return messages;
    }
    bool Saw(const std::string& part) const {
        for (const auto& m : Messages())
            if (m.find(part) != std::string::npos) return true;
        return false;
    }

  private:
    static void Record(const std::string& message) { Messages().push_back(message); }
};

uint32_t U32At(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

struct Png {
    uint32_t width = 0, height = 0;
    std::string raw; // inflated IDAT: filter byte + row, per row
};

// Reads back what EncodePng writes, checking signature and every CRC.
Png DecodePng(const std::string& file) {
    Png png;
    EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string idat;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = U32At(file, at);
        const std::string typeAndData = file.substr(at + 4, 4 + length);
        EXPECT_EQ(U32At(file, at + 8 + length),
                  uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()),
                                 uInt(typeAndData.size()))))
            << typeAndData.substr(0, 4);
        const std::string type = typeAndData.substr(0, 4), data = typeAndData.substr(4);
        if (type == "IHDR") {
            png.width = U32At(data, 0);
            png.height = U32At(data, 4);
            EXPECT_EQ(data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
        } else if (type == "IDAT") {
            idat += data;
        }
        at += 12 + length;
    }
    uLongf size = uLongf(png.width) * png.height * 3 + png.height;
    png.raw.resize(size);
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&png.raw[0]), &size,
                         reinterpret_cast<const Bytef*>(idat.data()), uLong(idat.size())),
              Z_OK);
    png.raw.resize(size);
    return png;
}
} // namespace

TEST(HarnessPng, StoresEveryPixelRowByRowWithValidChunks) {
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, //
                                      1,   2, 3, 4, 5,   6, 7, 8, 9};
    const Png png = DecodePng(EncodePng(3, 2, rgb));
    EXPECT_EQ(png.width, 3u);
    EXPECT_EQ(png.height, 2u);
    const std::string rows = std::string(1, '\0') + std::string(rgb.begin(), rgb.begin() + 9) +
                             std::string(1, '\0') + std::string(rgb.begin() + 9, rgb.end());
    EXPECT_EQ(png.raw, rows);
}

TEST(HarnessPng, RefusesPixelsThatDoNotMatchTheSize) {
    EXPECT_EQ(EncodePng(2, 2, std::vector<uint8_t>(11)), "");
    EXPECT_EQ(EncodePng(0, 0, {}), "");
}

TEST(HarnessText, StripsAcceleratorMarks) {
    EXPECT_EQ(StripAccelerators("&Next >"), "Next >");
    EXPECT_EQ(StripAccelerators("< &Back"), "< Back");
    EXPECT_EQ(StripAccelerators("R&&D"), "R&D");
    EXPECT_EQ(StripAccelerators("Tail&"), "Tail");
    EXPECT_EQ(StripAccelerators("OK"), "OK");
}

TEST(HarnessProcess, PassesArgumentsEnvironmentAndFolderUnchanged) {
    const std::string dir = ScratchDir();
    const std::string report = JoinPath(dir, "report.txt");
    Launch launch = Args({"report", report, "-dC:\\Program Files\\Writer", "", "say \"hi\"",
                          "trailing\\", "a\\\\\"b"});
    launch.env = {{"QV_FIXTURE", "value with spaces"}};
    launch.dir = dir;
    Process fixture(FixtureExe(), launch);
    ASSERT_EQ(fixture.WaitExit(), 0);
    EXPECT_EQ(ReadFile(report), "-dC:\\Program Files\\Writer\n\nsay \"hi\"\ntrailing\\\na\\\\\"b\n"
                                "QV_FIXTURE=value with spaces\n" +
                                    dir + "\n");
}

TEST(HarnessProcess, KillsTheProgramWhenItGoes) {
    HANDLE handle = nullptr;
    {
        Process fixture(FixtureExe(), Args({"dialog"}));
        ASSERT_TRUE(fixture.WaitWindow("Fixture"));
        handle = OpenProcess(SYNCHRONIZE, FALSE, fixture.Id());
        ASSERT_TRUE(handle);
        EXPECT_TRUE(fixture.Running());
    }
    EXPECT_EQ(WaitForSingleObject(handle, 5000), WAIT_OBJECT_0);
    CloseHandle(handle);
}

TEST(HarnessProcess, ReportsAProgramThatDoesNotEndAndKillsIt) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    ASSERT_TRUE(fixture.WaitWindow("Fixture"));
    CapturedFailures failures;
    EXPECT_EQ(fixture.WaitExit(300), -1);
    EXPECT_TRUE(failures.Saw("did not end")) << failures.Messages().size();
    EXPECT_TRUE(failures.Saw("\"Fixture\"")) << "the failure names the program's windows";
    EXPECT_FALSE(fixture.Running());
}

TEST(HarnessProcess, ReportsAWindowThatNeverComes) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    CapturedFailures failures;
    EXPECT_EQ(fixture.WaitWindow("No such window", 500), nullptr);
    EXPECT_TRUE(failures.Saw("no window \"No such window\""));
}

TEST(HarnessProcess, NoticesWhenTheProgramEndsInsteadOfShowingAWindow) {
    Process fixture(FixtureExe(), Args({"unknown-mode"}));
    CapturedFailures failures;
    EXPECT_EQ(fixture.WaitWindow("Fixture"), nullptr);
    EXPECT_TRUE(failures.Saw("the program ended"));
    EXPECT_EQ(fixture.WaitDialogOrExit(), nullptr);
    EXPECT_EQ(fixture.WaitExit(), 2);
}

TEST(HarnessMessages, ReadsAndAnswersTheSystemMessageBox) {
    Process fixture(FixtureExe(), Args({"message", "Question", "Line one\rLine two",
                                        std::to_string(MB_YESNOCANCEL | MB_ICONQUESTION)}));
    const Message message = WaitMessage(fixture);
    ASSERT_TRUE(message.window);
    EXPECT_EQ(ClassName(message.window), "#32770");
    EXPECT_EQ(message.caption, "Question");
    EXPECT_EQ(message.text, "Line one\rLine two");
    EXPECT_EQ(message.buttons, (std::vector<std::string>{"&Yes", "&No", "Cancel"}));
    // Without its "&" the caption finds the button as well.
    EXPECT_TRUE(Answer(message, "No"));
    EXPECT_EQ(fixture.WaitExit(), IDNO);
}

TEST(HarnessKeys, EnterPressesTheDefaultButtonAndEscCancels) {
    {
        Process fixture(FixtureExe(), Args({"message", "Q", "Enter?",
                                            std::to_string(MB_YESNOCANCEL | MB_DEFBUTTON2)}));
        const Message message = WaitMessage(fixture);
        ASSERT_TRUE(message.window);
        Key(message.window, VK_RETURN);
        EXPECT_EQ(fixture.WaitExit(), IDNO);
    }
    {
        Process fixture(FixtureExe(), Args({"message", "Q", "Esc?", std::to_string(MB_OKCANCEL)}));
        const Message message = WaitMessage(fixture);
        ASSERT_TRUE(message.window);
        Key(message.window, VK_ESCAPE);
        EXPECT_EQ(fixture.WaitExit(), IDCANCEL);
    }
}

TEST(HarnessControls, FindsControlsByCaptionAndClass) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    HWND remember = FindControl(dialog, "&Remember");
    EXPECT_EQ(FindControl(dialog, "Remember"), remember);
    EXPECT_EQ(FindControlByClass(dialog, "Button", 0), remember);
    HWND edit = FindControlByClass(dialog, "Edit");
    ASSERT_TRUE(edit);
    EXPECT_EQ(ClassName(edit), "Edit");
    EXPECT_EQ(FindControlByClass(dialog, "Button", 1), FindControl(dialog, "&Ask"));
    EXPECT_FALSE(IsChecked(remember));
    EXPECT_TRUE(IsVisible(remember));
    EXPECT_FALSE(IsEnabled(FindControl(dialog, "Later")));
    EXPECT_FALSE(IsVisible(FindControl(dialog, "&Secret")));
    EXPECT_EQ(VisibleTexts(dialog),
              (std::vector<std::string>{"&Name:", "&Remember", "&Ask", "&Later", "OK", "Cancel"}));
    CapturedFailures failures;
    EXPECT_EQ(TryFindControl(dialog, "Missing"), nullptr);
    EXPECT_TRUE(failures.Messages().empty());
    EXPECT_EQ(FindControl(dialog, "Missing"), nullptr);
    EXPECT_TRUE(failures.Saw("no control \"Missing\""));
}

TEST(HarnessControls, PressesOnlyWhatAPersonCouldPress) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    CapturedFailures failures;
    EXPECT_FALSE(Press(dialog, "&Later"));
    EXPECT_TRUE(failures.Saw("disabled"));
    EXPECT_FALSE(Press(dialog, "&Secret"));
    EXPECT_TRUE(failures.Saw("hidden"));
    EXPECT_TRUE(fixture.Running());
}

TEST(HarnessControls, TypesClicksAndReadsBackState) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    HWND name = FindControlByClass(dialog, "Edit");
    ASSERT_TRUE(name);
    Type(name, "typed text");
    EXPECT_EQ(Text(name), "typed text");
    ASSERT_TRUE(Press(dialog, "&Remember"));
    EXPECT_TRUE(IsChecked(FindControl(dialog, "&Remember")));
    // Space toggles the check box that has the focus after the click.
    Key(dialog, VK_SPACE);
    EXPECT_FALSE(IsChecked(FindControl(dialog, "&Remember")));
    Key(dialog, VK_SPACE);
    ASSERT_TRUE(Press(dialog, "OK"));
    EXPECT_EQ(fixture.WaitExit(), 1 | 2);
}

TEST(HarnessControls, AnswersAModalDialogOpenedByAPress) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(Press(dialog, "&Ask"));
    const Message question = WaitMessage(fixture, dialog);
    ASSERT_TRUE(question.window);
    EXPECT_EQ(question.caption, "Question");
    EXPECT_EQ(question.text, "Go on?");
    EXPECT_FALSE(IsEnabled(dialog)) << "the question is modal";
    ASSERT_TRUE(Answer(question, "&Yes"));
    EXPECT_TRUE(TryFindControl(dialog, "Said yes"));
    Key(dialog, VK_ESCAPE);
    EXPECT_EQ(fixture.WaitExit(), 100);
}

TEST(HarnessControls, ClosesWithTheCloseBox) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    const Message question = CloseWizard(fixture, dialog);
    EXPECT_EQ(question.window, nullptr) << "no quit question in the fixture";
    EXPECT_EQ(fixture.WaitExit(), 101);
}

TEST(HarnessControls, ClosesWithTheCloseBoxAndAnswersAbortToTheQuestion) {
    Process fixture(FixtureExe(), Args({"dialog", "confirm-close"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    const Message question = CloseWizard(fixture, dialog);
    EXPECT_EQ(question.caption, "Confirm");
    EXPECT_EQ(question.text, "Quit?");
    EXPECT_EQ(fixture.WaitExit(), 101);
}

TEST(HarnessScreen, CapturesTheWindowAsShown) {
    Process fixture(FixtureExe(), Args({"dialog"}));
    HWND dialog = fixture.WaitWindow("Fixture");
    ASSERT_TRUE(dialog);
    const std::string path = JoinPath(ScratchDir(), "fixture.png");
    ASSERT_TRUE(Screenshot(dialog, path));
    const Png png = DecodePng(ReadFile(path));
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(png.width, uint32_t(r.right - r.left));
    EXPECT_EQ(png.height, uint32_t(r.bottom - r.top));
    // Title bar, face and button texts: far from one flat colour.
    size_t differing = 0;
    for (size_t i = 1 + 3; i + 3 <= png.raw.size(); i += 3)
        if (png.raw.compare(i, 3, png.raw, 1, 3) != 0) ++differing;
    EXPECT_GT(differing, png.raw.size() / 3 / 10);
}

TEST(HarnessVariants, ReplacesAResourceWithMoreFewerOrNoBytes) {
    const std::string exe = JoinPath(ScratchDir(), "setup.exe");
    ASSERT_TRUE(MakeSetupCopy(exe));
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7919 >> 3);
    for (const std::string& bytes : {big, std::string("small"), std::string()}) {
        ASSERT_TRUE(ReplaceResource(exe, "FILES", "FILES", bytes));
        bool found = false;
        EXPECT_EQ(ReadResource(exe, "FILES", "FILES", &found).size(), bytes.size());
        EXPECT_TRUE(found);
    }
    // The other resources stay as they were.
    bool found = false;
    EXPECT_EQ(ReadResource(exe, "PNG", "LOGO", &found),
              ReadResource(SetupExe(), "PNG", "LOGO", nullptr));
    EXPECT_TRUE(found);
}
