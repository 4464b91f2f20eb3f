#include "engine/install_thread.h"

#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "engine/ask_user.h"
#include "engine/install_status.h"
#include "payload/diagnostic_log.h"
#include "payload/install_log.h"

#include <windows.h>

#include <process.h>

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

// Asked of the path where the system can (looked up: the first Windows 95
// lacks the call), which needs no search handle opened and closed for every
// file of a logged run.
TFileFacts FactsOf(const std::string& path) {
    TFileFacts facts;
    using TGetFileAttributesExA = BOOL(WINAPI*)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
    const auto attributesOf =
        LoadedFunction<TGetFileAttributesExA>("kernel32.dll", "GetFileAttributesExA");
    WIN32_FILE_ATTRIBUTE_DATA data;
    WIN32_FIND_DATAA found;
    if (attributesOf) {
        if (attributesOf(path.c_str(), GetFileExInfoStandard, &data))
            facts = {true, data.nFileSizeLow, data.ftLastWriteTime};
    } else if (TFindHandle(FindFirstFileA(path.c_str(), &found))) {
        facts = {true, found.nFileSizeLow, found.ftLastWriteTime};
    }
    return facts;
}

const char* Outcome(const TFileFacts& before, const TFileFacts& after) {
    if (!after.Exists) return "not there";
    if (!before.Exists) return "written";
    return before == after ? "kept as it was" : "replaced";
}

unsigned __stdcall ThreadMain(void* catalogue) {
    RunInstallLists(*static_cast<TAttachedFiles*>(catalogue));
    return 0;
}
} // namespace

void RunInstallLists(TAttachedFiles& catalogue) {
    for (int k = 0; k < 6; ++k) {
        InstallStatus.Component.store(uint8_t(k), std::memory_order_release);
        const std::vector<TFileToInstall>& list = catalogue.InstallLists[k];
        const size_t count = list.size();
        bool stop = false;
        for (size_t j = 0; j < count && !stop; ++j) {
            const TFileToInstall& copy = list[j];
            const bool diagnosed = DiagnosticLogOpen();
            const TFileFacts before = diagnosed ? FactsOf(copy.Target) : TFileFacts{};
            if (!copy.Logged) SuppressLog();
            const bool written = catalogue.ExtractEntry(copy.Source, std::string(), copy.Target,
                                                        AskAboutWriteFailure);
            if (!copy.Logged) ResumeLog(); // also on Abort: the log is not left suppressed
            if (!written) {
                Diagnose("Copy: " + copy.Target + ": given up (Abort)");
                PublishInstallState(StatusFailed);
                return;
            }
            if (diagnosed)
                Diagnose("Copy: " + copy.Target + ": " + Outcome(before, FactsOf(copy.Target)));
            InstallStatus.Progress.fetch_add(copy.Source->Size, std::memory_order_release);
            stop = StopAtCheckPoint();
        }
        if (stop || StopAtCheckPoint()) break;
    }
    PublishInstallState(StatusDone);
}

TInstallThread::TInstallThread(TAttachedFiles& catalogue) : Catalogue_(catalogue) {}

TInstallThread::~TInstallThread() {
    if (!Handle_) return;
    // Normally the thread has ended already; if not, the run is over for
    // the user, so it stops after the copy in hand.
    if (WaitForSingleObject(Handle_, 0) != WAIT_OBJECT_0) {
        RequestInstallStop();
        WaitFor();
    }
    CloseHandle(Handle_);
}

void TInstallThread::Start() {
    if (Handle_) return;
    ResetInstallRun();
    const uintptr_t thread = _beginthreadex(nullptr, 0, ThreadMain, &Catalogue_, 0, nullptr);
    if (thread == 0) {
        // Without a thread nothing can be written; the wizard ends the run.
        PublishInstallState(StatusFailed);
        return;
    }
    Handle_ = reinterpret_cast<void*>(thread);
}

void TInstallThread::WaitFor() {
    if (Handle_) WaitForSingleObject(Handle_, INFINITE);
}
