// qvbench: the Windows half of the benchmark (bench/run drives it). Each
// call measures one thing once and prints "key value" pairs on one line.
//
//   qvbench ours SETUP.EXE DEST      one wizard run with the default choices,
//                                    no waiting between pages
//   qvbench nsis INSTALLER.EXE DEST  one silent run (/S /D=DEST)
//   qvbench silent SETUP.EXE DEST    one silent run of ours (-dDEST /S)
//   qvbench phases SETUP.EXE DEST    one silent run of ours with its
//                                    diagnostic log (DEST.log), split by the
//                                    log's lines into start, inflate, plan,
//                                    files and the work after the copy
//   qvbench inflate SETUP.EXE N      InflatePayload against one-shot zlib on
//                                    the payload of SETUP.EXE, N rounds each,
//                                    alternating
//   qvbench stub SETUP.EXE           its size without payload and logos (of
//                                    the build that runs here; bench/run
//                                    reads the 32-bit one with qvstubsize)
//   qvbench base SETUP.EXE COPY.EXE  the time to the Welcome page and the
//                                    peak memory there of a copy with an
//                                    empty payload: what the program needs
//                                    besides its payload
//
// Times are wall-clock milliseconds. Memory is the process's peak working
// set (and peak private bytes), sampled while it runs: Wine can only tell it
// for a live process.
#include "clock.h"
#include "payload/reserved_memory.h"
#include "wizard_person.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <zlib.h>

using namespace wizard;

namespace {

bool Failed = false;

void Report(const std::string& message) {
    std::fprintf(stderr, "qvbench: %s\n", message.c_str());
    Failed = true;
}

// Keeps the highest peaks seen of a running process.
class TPeakMemory {
  public:
    explicit TPeakMemory(DWORD id)
        : Process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)) {}
    ~TPeakMemory() {
        if (Process_) CloseHandle(Process_);
    }
    // Asks at most every 50 ms unless `now`: each question is a round trip
    // to the Wine server, which the installer under test needs for its files.
    // The peaks only grow, so a late sample misses nothing but the last
    // moments.
    void Sample(bool now = false) {
        const DWORD tick = GetTickCount();
        if (!now && tick - Last_ < 50) return;
        Last_ = tick;
        PROCESS_MEMORY_COUNTERS c{};
        c.cb = sizeof c;
        if (!Process_ || !GetProcessMemoryInfo(Process_, &c, sizeof c)) return;
        WorkingSet = std::max<SIZE_T>(WorkingSet, c.PeakWorkingSetSize);
        Private = std::max<SIZE_T>(Private, c.PeakPagefileUsage);
    }
    SIZE_T WorkingSet = 0, Private = 0;

  private:
    HANDLE Process_;
    DWORD Last_ = 0;
};

// Polls every `every` ms until `done` holds; false after `limit` ms. Each
// look costs the Wine server some work (a page title is read control by
// control through messages to the program), so the copy is watched through
// one cheap question instead: whether the Next button is enabled again.
template <typename Done>
bool PollUntil(Done done, TPeakMemory& memory, double limit, DWORD every = 5) {
    const double start = Now();
    while (!done()) {
        memory.Sample();
        if (Now() - start > limit) return false;
        Sleep(every);
    }
    return true;
}

HWND WizardOf(const Process& setup) {
    for (HWND w : setup.Windows()) {
        char caption[128] = "";
        GetWindowTextA(w, caption, sizeof caption);
        if (std::string(caption) == kWizardCaption) return w;
    }
    return nullptr;
}

int RunOurs(const std::string& exe, const std::string& dest) {
    const double start = Now();
    Process setup(exe, TPerson::Into(dest));
    if (!setup.Started()) return 1;
    TPeakMemory memory(setup.Id());
    HWND wizard = nullptr;
    auto onPage = [&](const char* title) { return Settle(wizard) && BannerTitle(wizard) == title; };
    if (!PollUntil(
            [&] { return (wizard = WizardOf(setup)) && BannerTitle(wizard) == kWelcomeTitle; },
            memory, 60000)) {
        Report("no welcome page; " + setup.Describe());
        return 1;
    }
    const double welcome = Now() - start;

    // Forward to the Ready page, each page as soon as it shows.
    std::string steps;
    for (const char* next : {kLicenseTitle, kDestDirTitle, kSelCompTitle, kStartTitle}) {
        if (!e2e::Press(wizard, kNext) || !PollUntil([&] { return onPage(next); }, memory, 20000)) {
            Report(std::string("no page \"") + next + "\"; " + setup.Describe());
            return 1;
        }
        char step[32];
        std::snprintf(step, sizeof step, "%s%.0f", steps.empty() ? "" : ",", Now() - start);
        steps += step;
    }
    HWND next = FindControl(wizard, kNext);
    const double ready = Now();
    // Next is disabled while the files are copied, enabled again on the
    // associations page.
    if (!e2e::Press(wizard, kNext) ||
        !PollUntil([&] { return IsWindowEnabled(next) && onPage(kAssocTitle); }, memory, 600000,
                   2)) {
        Report("the copy does not end; " + setup.Describe());
        return 1;
    }
    const double copy = Now() - ready;
    const double assoc = Now();
    if (!e2e::Press(wizard, kNext) ||
        !PollUntil([&] { return onPage(kFinishTitle); }, memory, 60000)) {
        Report("no finish page; " + setup.Describe());
        return 1;
    }
    memory.Sample(true);
    if (!e2e::Press(wizard, kFinish) ||
        !PollUntil([&] { return setup.Exited(20); }, memory, 60000, 0)) {
        Report("setup.exe does not end");
        return 1;
    }
    const double end = Now();
    // The Finish page started the word processor (through the desktop's
    // shell, outside the run's job): a silent run after this one would find
    // it running and install nothing.
    CloseStandIns();
    std::printf("welcome_ms %.1f copy_ms %.1f total_ms %.1f finish_ms %.1f peak_ws %lu "
                "peak_private %lu pages_at %s\n",
                welcome, copy, end - start, end - assoc, (unsigned long)memory.WorkingSet,
                (unsigned long)memory.Private, steps.c_str());
    return Failed ? 1 : 0;
}

int RunBase(const std::string& exe, const std::string& copy) {
    if (!CopyTo(exe, copy) || !ReplaceResource(copy, "FILES", "FILES", Deflate(std::string()))) {
        Report("cannot make " + copy);
        return 1;
    }
    const double start = Now();
    Process setup(copy);
    if (!setup.Started()) return 1;
    TPeakMemory memory(setup.Id());
    HWND wizard = nullptr;
    if (!PollUntil(
            [&] { return (wizard = WizardOf(setup)) && BannerTitle(wizard) == kWelcomeTitle; },
            memory, 60000)) {
        Report("no welcome page; " + setup.Describe());
        return 1;
    }
    const double welcome = Now() - start;
    Settle(wizard);
    memory.Sample(true);
    setup.Kill();
    std::printf("welcome_ms %.1f peak_ws %lu peak_private %lu\n", welcome,
                (unsigned long)memory.WorkingSet, (unsigned long)memory.Private);
    return 0;
}

// One run without any window, to its end: NSIS's silent mode or ours.
int RunSilent(const std::string& exe, const std::vector<std::string>& args) {
    Launch launch;
    launch.args = args;
    const double start = Now();
    Process installer(exe, launch);
    if (!installer.Started()) return 1;
    TPeakMemory memory(installer.Id());
    if (!PollUntil([&] { return installer.Exited(20); }, memory, 600000, 0)) {
        Report("the installer does not end");
        return 1;
    }
    const double total = Now() - start;
    const int code = installer.WaitExit();
    std::printf("total_ms %.1f peak_ws %lu peak_private %lu exit %d\n", total,
                (unsigned long)memory.WorkingSet, (unsigned long)memory.Private, code);
    return code == 0 && !Failed ? 0 : 1;
}

// Milliseconds since midnight of a diagnostic log line ("hh:mm:ss.mmm ...");
// negative when the line has no stamp.
double LineTime(const std::string& line) {
    unsigned h = 0, m = 0, sec = 0, ms = 0;
    if (std::sscanf(line.c_str(), "%2u:%2u:%2u.%3u ", &h, &m, &sec, &ms) != 4) return -1;
    return ((h * 60.0 + m) * 60.0 + sec) * 1000.0 + ms;
}

double MillisecondsOfDay(const SYSTEMTIME& t) {
    return ((t.wHour * 60.0 + t.wMinute) * 60.0 + t.wSecond) * 1000.0 + t.wMilliseconds;
}

// One silent run with the diagnostic log: its lines' stamps mark where the
// start-up ends (the first line), the catalogue is complete ("Unpacked:"),
// the files are written (the first and last "Copy:") and the work after
// them ends ("Exit code:"). The log costs some time of its own (a line and
// two looks at the target per file), so the whole run is printed as well.
int RunPhases(const std::string& exe, const std::string& dest) {
    const std::string log = dest + ".log";
    MakeFolders(dest.substr(0, dest.find_last_of('\\')));
    Launch launch;
    launch.args = {"-d" + dest, "/S", "/LOG=" + log};
    SYSTEMTIME wall;
    GetLocalTime(&wall);
    const double start = Now();
    Process installer(exe, launch);
    if (!installer.Started()) return 1;
    if (installer.WaitExit(600000) != 0) {
        Report("the logged run fails");
        return 1;
    }
    const double total = Now() - start;
    const double launched = MillisecondsOfDay(wall);
    double first = -1, unpacked = -1, copyFirst = -1, copyLast = -1, exit = -1;
    std::string text = ReadFile(log), line;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        line = text.substr(at, end - at);
        double t = LineTime(line);
        if (t < 0) continue;
        if (t < launched - 3600000) t += 86400000; // past midnight
        const std::string what = line.substr(13);
        if (first < 0) first = t;
        if (what.rfind("Unpacked:", 0) == 0) unpacked = t;
        if (what.rfind("Copy:", 0) == 0) {
            if (copyFirst < 0) copyFirst = t;
            copyLast = t;
        }
        if (what.rfind("Exit code:", 0) == 0) exit = t;
    }
    if (first < 0 || unpacked < 0 || copyFirst < 0 || exit < 0) {
        Report("the log of " + dest + " lacks the lines that mark the phases");
        return 1;
    }
    std::printf("start_ms %.1f inflate_ms %.1f plan_ms %.1f files_ms %.1f after_ms %.1f "
                "exit_ms %.1f total_ms %.1f\n",
                first - launched, unpacked - first, copyFirst - unpacked, copyLast - copyFirst,
                exit - copyLast, launched + total - exit, total);
    return Failed ? 1 : 0;
}

// The same stream through InflatePayload as the catalogue calls it, and
// through zlib's one-shot uncompress into a buffer of the exact size.
int RunInflate(const std::string& exe, int rounds) {
    bool found = false;
    const std::string packed = ReadResource(exe, "FILES", "FILES", &found);
    if (!found) {
        Report(exe + " has no payload");
        return 1;
    }
    const auto* in = reinterpret_cast<const uint8_t*>(packed.data());
    const uint32_t inSize = uint32_t(packed.size());
    // The first block the catalogue asks for, in the memory it uses.
    const uint32_t estimate = payload::GrowthStep(inSize);
    uLongf exact = 0;
    for (int r = 0; r < rounds; ++r) {
        double ours = 0, plain = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + r) % 2 == 0) {
                const double start = Now();
                payload::Inflated inflated =
                    payload::InflatePayload(in, inSize, estimate, ReservedMemory);
                ours = Now() - start;
                if (inflated.status != payload::InflateStatus::Ok) {
                    Report("InflatePayload fails");
                    return 1;
                }
                exact = uLongf(inflated.size);
            } else {
                if (exact == 0) {
                    payload::Inflated first =
                        payload::InflatePayload(in, inSize, estimate, ReservedMemory);
                    exact = uLongf(first.size);
                }
                const double start = Now();
                uLongf size = exact;
                auto* out = static_cast<Bytef*>(std::malloc(size));
                const int rc = out ? uncompress(out, &size, in, inSize) : Z_MEM_ERROR;
                std::free(out);
                plain = Now() - start;
                if (rc != Z_OK) {
                    Report("uncompress fails");
                    return 1;
                }
            }
        }
        std::printf("inflate_ours_ms %.1f inflate_zlib_ms %.1f inflated %lu packed %lu\n", ours,
                    plain, (unsigned long)exact, (unsigned long)inSize);
        std::fflush(stdout);
    }
    return 0;
}

DWORD FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// The size the program would have without payload and logos: the file
// less their data, each aligned to 8 bytes as the resource compiler lays
// them out, rounded up to the 512-byte file alignment. (Wine's
// UpdateResource leaves the section as large as it was, so a rewritten
// copy would not tell.)
int RunStub(const std::string& exe) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        Report("cannot open " + exe);
        return 1;
    }
    DWORD dropped = 0;
    for (const char* name : {"FILES", "LOGO", "LOGOSMALL"}) {
        HRSRC res = FindResourceA(module, name, name[0] == 'F' ? "FILES" : "PNG");
        if (res) dropped += (SizeofResource(module, res) + 7) / 8 * 8;
    }
    FreeLibrary(module);
    const DWORD size = FileSize(exe);
    std::printf("setup_bytes %lu stub_bytes %lu\n", (unsigned long)size,
                (unsigned long)((size - dropped + 511) / 512 * 512));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    SetFailureHandler(Report);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 4 && mode == "ours") return RunOurs(argv[2], argv[3]);
    // NSIS wants /D= last and unquoted; ours "-d" first.
    if (argc == 4 && mode == "nsis")
        return RunSilent(argv[2], {"/S", std::string("/D=") + argv[3]});
    if (argc == 4 && mode == "silent")
        return RunSilent(argv[2], {std::string("-d") + argv[3], "/S"});
    if (argc == 4 && mode == "phases") return RunPhases(argv[2], argv[3]);
    if (argc == 4 && mode == "inflate") return RunInflate(argv[2], std::atoi(argv[3]));
    if (argc == 3 && mode == "stub") return RunStub(argv[2]);
    if (argc == 4 && mode == "base") return RunBase(argv[2], argv[3]);
    std::fprintf(stderr, "usage: qvbench ours|nsis|silent|phases|inflate|stub|base ...\n");
    return 2;
}
