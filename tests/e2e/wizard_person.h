// What the wizard tests share: a person at the wizard (its pages, buttons
// and questions), the payload the setup program carries, setup programs
// with payloads of the tests' own, and the stand-in word processor.
// Header only: every *_test.cpp here is a program of its own.
#pragma once

#include "e2e.h"
#include "product_state.h"

#include "payload/payload_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace wizard {
using namespace e2e;

constexpr char kWizardCaption[] = "Quorvale Word Processor - Setup";
constexpr char kWelcomeTitle[] = "Welcome to the Quorvale Word Processor Setup";
constexpr char kLicenseTitle[] = "License Agreement";
constexpr char kDestDirTitle[] = "Choose Destination Folder";
constexpr char kSelCompTitle[] = "Select Components";
constexpr char kStartTitle[] = "Ready to Install";
constexpr char kInstallingTitle[] = "Installing";
constexpr char kAssocTitle[] = "Associate With Document Types";
constexpr char kFinishTitle[] = "Installation Complete";

constexpr char kNext[] = "&Next >";
constexpr char kBack[] = "< &Back";
constexpr char kFinish[] = "&Finish";
constexpr char kCancel[] = "Cancel";

constexpr char kQuitQuestion[] =
    "Setup is not complete. If you quit this setup program now,\rQuorvale will not be correctly "
    "installed.\r\rYou may relaunch the setup program at a later time\rto complete the "
    "installation of Quorvale.\r\rTo continue installing, click No.\rTo quit this setup "
    "program, click Abort.";
constexpr char kLicenseQuestion[] =
    "To install this program, you need to agree to all the terms\rof the Quorvale Word "
    "Processor License Agreement.\rDo you really want to cancel the Quorvale install?";
constexpr char kRunningMessage[] =
    "A copy of Quorvale Word Processor is already running on your system.\rPlease close any "
    "running instance(s) of Quorvale Word Processor, then click OK in this dialog.";

// ---------------------------------------------------------------- the payload

struct TEntry {
    std::string Name;
    double Date = 0;
    std::string Data;
};

inline std::vector<TEntry> PayloadOf(const std::string& exe) {
    bool found = false;
    const std::string packed = ReadResource(exe, "FILES", "FILES", &found);
    std::vector<TEntry> entries;
    if (!found) {
        Fail(exe + " has no payload");
        return entries;
    }
    payload::Inflated inflated = payload::InflatePayload(
        reinterpret_cast<const uint8_t*>(packed.data()), uint32_t(packed.size()), 0);
    std::vector<payload::EntryRecord> records;
    if (inflated.status != payload::InflateStatus::Ok ||
        payload::IndexPayload(inflated.data.get(), inflated.size, records) !=
            payload::IndexStatus::Ok) {
        Fail(exe + " has a damaged payload");
        return entries;
    }
    const char* bytes = reinterpret_cast<const char*>(inflated.data.get());
    for (const auto& r : records)
        entries.push_back({r.name, r.date, std::string(bytes + r.offset, size_t(r.size))});
    return entries;
}

inline const TEntry* FindEntry(const std::vector<TEntry>& entries, const std::string& name) {
    for (const auto& e : entries)
        if (lstrcmpiA(e.Name.c_str(), name.c_str()) == 0) return &e;
    return nullptr;
}

// A copy of setup.exe in `folder` carrying these entries as its payload.
inline std::string SetupWithEntries(const std::string& folder, const std::vector<TEntry>& entries) {
    std::vector<uint8_t> bytes;
    for (const auto& e : entries)
        payload::AppendEntry(bytes, e.Name, e.Date, reinterpret_cast<const uint8_t*>(e.Data.data()),
                             uint32_t(e.Data.size()));
    const std::string packed = Deflate(std::string(bytes.begin(), bytes.end()));
    const std::string exe = JoinPath(folder, "setup.exe");
    if (!MakeSetupCopy(exe, &packed)) Fail("cannot make " + exe);
    return exe;
}

// The same with the shipped payload plus `extra`.
inline std::string SetupWithExtraEntries(const std::string& folder,
                                         const std::vector<TEntry>& extra) {
    std::vector<TEntry> all = PayloadOf(SetupExe());
    all.insert(all.end(), extra.begin(), extra.end());
    return SetupWithEntries(folder, all);
}

// ---------------------------------------------------------------- files

// Days since 1899-12-30 of a local date and time.
inline double DayCount(const SYSTEMTIME& t) {
    // Days from the civil date (proleptic Gregorian), shifted to 1899-12-30.
    const int y = t.wYear - (t.wMonth <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int m = t.wMonth;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + t.wDay - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = long(era) * 146097 + doe - 693899; // 693899: 1899-12-30
    return double(days) + (t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond) / 86400.0;
}

// The last-write time of a file as a local day count; NAN when missing.
inline double FileDay(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return NAN;
    FILETIME local;
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &t))
        return NAN;
    return DayCount(t);
}

// True when the file holds these bytes and carries this time stamp (to the
// second).
inline ::testing::AssertionResult IsInstalled(const std::string& path, const TEntry& entry) {
    std::string data;
    if (!ReadFile(path, data)) return ::testing::AssertionFailure() << path << " is missing";
    if (data != entry.Data)
        return ::testing::AssertionFailure() << path << " does not hold " << entry.Name;
    const double day = FileDay(path);
    if (!(std::fabs(day - entry.Date) < 0.5 / 86400))
        return ::testing::AssertionFailure()
               << path << " has the time " << day << " instead of " << entry.Date;
    return ::testing::AssertionSuccess();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

inline std::string Environment(const char* name) {
    wchar_t value[MAX_PATH] = L"";
    GetEnvironmentVariableW(Wide(name).c_str(), value, MAX_PATH);
    return Utf8(value);
}

// The name of the user that the runner was asked for (QV_USER,
// scripts/wine-env), spelt here rather than taken from Wine, which could
// spell it wrong everywhere alike; empty for the runner's own user.
inline std::string NamedUser() {
    const std::string user = Environment("QV_USER");
    if (user == "lukasz") return "\xC5\x82ukasz";              // "łukasz"
    if (user == "wangfang") return "\xE7\x8E\x8B\xE8\x8A\xB3"; // "王芳"
    return "";
}

// The shared data folder of a non-portable installation.
inline std::string PublicFolder() {
    return JoinPath(JoinPath(Environment("ProgramData"), "Quorvale"), "Public");
}

// ---------------------------------------------------------------- the wizard

// A person at the wizard of one run of a setup program.
class TPerson {
  public:
    explicit TPerson(const std::string& exe = SetupExe(), const Launch& launch = {})
        : Setup(exe, launch) {
        Wizard = Setup.WaitWindow(kWizardCaption);
        if (Wizard) Settle(Wizard);
    }
    // A run installing into `destination` ("-d" argument).
    static Launch Into(const std::string& destination) {
        Launch launch;
        launch.args.push_back("-d" + destination);
        return launch;
    }

    Process Setup;
    HWND Wizard = nullptr;

    std::string Page() const { return BannerTitle(Wizard); }
    HWND Control(const std::string& caption) const { return FindControl(Wizard, caption); }
    bool Press(const std::string& caption) const { return e2e::Press(Wizard, caption); }
    bool Enabled(const std::string& caption) const { return IsEnabled(Control(caption)); }
    bool Shown(const std::string& caption) const {
        HWND control = TryFindControl(Wizard, caption);
        return control && IsVisible(control);
    }

    // Waits until the banner shows `title`.
    bool WaitPage(const std::string& title, DWORD timeout = kWait) const {
        const DWORD start = GetTickCount();
        do {
            if (Settle(Wizard) && Page() == title) return true;
            Sleep(50);
        } while (GetTickCount() - start < timeout);
        ADD_FAILURE() << "the wizard shows \"" << Page() << "\", not \"" << title << "\"";
        return false;
    }
    // Next, and the page that should follow.
    bool NextTo(const std::string& title) const { return Press(kNext) && WaitPage(title); }

    // Walks on from the Welcome page to the page `title` with Next.
    bool WalkTo(const std::string& title) const {
        for (int step = 0; step < 8; ++step) {
            if (Page() == title) return true;
            if (Page() == kStartTitle) {
                // Installing: the page after it comes by itself.
                if (!Press(kNext)) return false;
                if (!WaitPage(kAssocTitle, 120000)) return false;
                continue;
            }
            // The next page's entry work may answer messages before it is
            // done (the finish step starts programs and writes links): wait
            // for the new title, or for a question.
            const std::string before = Page();
            if (!Press(kNext)) return false;
            const DWORD start = GetTickCount();
            while (Alone() && Page() == before && GetTickCount() - start < kWait)
                Sleep(50);
        }
        return Page() == title;
    }

    // A question or message of the program over the wizard.
    Message Question(DWORD timeout = kWait) const { return WaitMessage(Setup, Wizard, timeout); }
    // True when nothing but the wizard is on the screen.
    bool Alone() const {
        Settle(Wizard);
        return Setup.Windows() == std::vector<HWND>{Wizard};
    }
};

// ---------------------------------------------------------------- the word processor

// The stand-in word processor (kel.exe of the product build), running with
// its marked window until the object goes or Close() is called.
class TWordProcessor {
  public:
    TWordProcessor() : Kel_(JoinPath(QV_BIN_DIR, "kel.exe")) {
        const DWORD start = GetTickCount();
        while (!Marked() && Kel_.Running() && GetTickCount() - start < 10000)
            Sleep(50);
    }
    // Whether a top-level window of the program carries the running marker.
    bool Marked() const {
        for (HWND w : TopLevelWindows())
            if (GetPropA(w, "1.x Kestrovane")) return true;
        return false;
    }
    void Close() {
        for (HWND w : TopLevelWindows())
            PostMessageA(w, WM_CLOSE, 0, 0);
        if (!Kel_.Exited(kWait)) Kel_.Kill();
    }

  private:
    std::vector<HWND> TopLevelWindows() const { return WindowsOfProcess(Kel_.Id()); }

    Process Kel_;
};

// Skips a test that needs the stand-in word processor when the kel.exe of
// this build does not mark a window.
#define REQUIRE_MARKED(word)                                                                       \
    if (!(word).Marked()) GTEST_SKIP() << "kel.exe of this build marks no window"

} // namespace wizard
