#include "engine/install_thread.h"

#include "base/run_time_functions.h"
#include "base/utf8_text.h"
#include "engine/ask_user.h"
#include "engine/install_status.h"
#include "payload/diagnostic_log.h"
#include "payload/install_log.h"

#include <windows.h>

namespace {
// A file's size and time, for telling in the diagnostic log what a copy
// did to it.
struct TFileFacts {
    bool Exists = false;
    DWORD SizeLow = 0;
    FILETIME Written{};
    bool operator==(const TFileFacts& o) const {
        return Exists == o.Exists && SizeLow == o.SizeLow &&
               Written.dwLowDateTime == o.Written.dwLowDateTime &&
               Written.dwHighDateTime == o.Written.dwHighDateTime;
    }
};

// Asked of the path where the system can (looked up once per run: the first
// Windows 95 lacks the call), which needs no search handle opened and closed
// for every file of a logged run.
using TGetFileAttributesExW = BOOL(WINAPI*)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);

class TFactsReader {
  public:
    TFactsReader()
        : AttributesOf_(
              LoadedFunction<TGetFileAttributesExW>("kernel32.dll", "GetFileAttributesExW")) {}

    TFileFacts Of(const std::string& path) const {
        TFileFacts facts;
        WIN32_FILE_ATTRIBUTE_DATA data;
        WIN32_FIND_DATAW found;
        const TWideText wide = WideText(path);
        if (AttributesOf_) {
            if (AttributesOf_(wide.c_str(), GetFileExInfoStandard, &data))
                facts = {true, data.nFileSizeLow, data.ftLastWriteTime};
        } else if (TFindHandle(FindFirstFileW(wide.c_str(), &found))) {
            facts = {true, found.nFileSizeLow, found.ftLastWriteTime};
        }
        return facts;
    }

  private:
    TGetFileAttributesExW AttributesOf_;
};

// What a copy did to its target, for the diagnostic log. A copy that
// replaces a file with the same bytes and time leaves it looking unchanged,
// so whether it wrote is what tells "replaced" from "kept as it was".
const char* Outcome(const TFileFacts& before, bool written, const TFileFacts& after) {
    if (!after.Exists) return "not there";
    if (written) return before.Exists ? "replaced" : "written";
    return before == after ? "kept as it was (Ignore)" : "changed by another program (Ignore)";
}

DWORD WINAPI ThreadMain(void* catalogue) {
    RunInstallLists(*static_cast<TAttachedFiles*>(catalogue));
    return 0;
}
} // namespace

void RunInstallLists(TAttachedFiles& catalogue) {
    const TWriteFailureAsker askUser = AskAboutWriteFailure;
    const TFactsReader facts;
    for (int component = 0; component < ComponentCount; ++component) {
        InstallStatus.Component.store(uint8_t(component), std::memory_order_release);
        bool stop = false;
        for (const TFileToInstall& copy : catalogue.InstallLists[component]) {
            const bool diagnosed = DiagnosticLogOpen();
            const TFileFacts before = diagnosed ? facts.Of(copy.Target) : TFileFacts{};
            if (!copy.Logged) SuppressLog();
            bool written = false;
            const bool done =
                catalogue.ExtractEntry(copy.Source, std::string(), copy.Target, askUser, &written);
            if (!copy.Logged) ResumeLog(); // also on Abort: the log is not left suppressed
            if (!done) {
                Diagnose("Copy: " + copy.Target + ": given up (Abort)");
                ReportInstallFailed();
                return;
            }
            if (diagnosed)
                Diagnose("Copy: " + copy.Target + ": " +
                         Outcome(before, written, facts.Of(copy.Target)));
            InstallStatus.Progress.fetch_add(copy.Source->Size, std::memory_order_release);
            if ((stop = StopAtCheckPoint())) break;
        }
        if (stop || StopAtCheckPoint()) break;
    }
    ReportInstallDone();
}

TInstallThread::TInstallThread(TAttachedFiles& catalogue) : Catalogue_(catalogue) {}

TInstallThread::~TInstallThread() {
    if (!Thread_) return;
    // Normally the thread has ended already; if not, the run is over for
    // the user, so it stops after the copy in hand.
    if (WaitForSingleObject(Thread_.Get(), 0) != WAIT_OBJECT_0) {
        QuitInstallRun();
        WaitFor();
    }
}

void TInstallThread::Start() {
    if (Thread_) return;
    Thread_ = StartThread(ThreadMain, &Catalogue_);
    // Without a thread nothing can be written; the front-end ends the run.
    if (!Thread_) ReportInstallFailed();
}

void TInstallThread::WaitFor() {
    if (Thread_) WaitForSingleObject(Thread_.Get(), INFINITE);
}
