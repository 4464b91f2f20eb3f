#include "system/finish_step.h"

#include "base/code_page.h"
#include "base/paths.h"
#include "base/product_path.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "payload/diagnostic_log.h"
#include "payload/file_time.h"
#include "payload/install_log.h"
#include "payload/safe_write.h"
#include "system/data_folders.h"
#include "system/launch_as_user.h"
#include "system/shortcuts.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {
void PutLittleEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// The word processor reads its command line in the code page: it is named
// there in a form the code page spells, where the volume keeps one.
std::string WordProcessorCommand(const std::string& program, const std::string& arguments) {
    const TProductPath named = ProductPath(program);
    if (named.Form != TProductForm::None)
        return QuotedCommandLine(Utf8FromAnsi(named.Text), arguments);
    Diagnose("Launch: the word processor is handed its path " + program +
             " in a form the code page cannot spell");
    return QuotedCommandLine(program, arguments);
}

// kel.exe in the destination folder, started with these arguments (not
// waited for).
void StartWordProcessor(const std::string& program, const std::string& arguments) {
    const std::string command = WordProcessorCommand(program, arguments);
    TWideText line = WideText(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started{};
    if (CreateProcessW(WideText(program).c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &started)) {
        const TKernelHandle process(started.hProcess), thread(started.hThread);
        return;
    }
    const DWORD error = GetLastError();
    Diagnose("Start: " + command + " FAILED, " + SystemErrorText(error));
}
} // namespace

std::string CommonDataRecord(double now) {
    std::string record;
    PutLittleEndian(record, 1, 4);
    PutLittleEndian(record, 8, 4);
    uint64_t bits;
    static_assert(sizeof bits == sizeof now, "a double is 8 bytes");
    std::memcpy(&bits, &now, sizeof bits);
    PutLittleEndian(record, bits, 8);
    return record;
}

void WriteCommonDataFile(const TInstallTarget& target) {
    const std::string folder = DataFolder(TDataFolderKind::Base, target);
    // Without a data folder the name would be relative to the current folder.
    if (folder.empty()) return;
    const std::string record = CommonDataRecord(LocalNow());
    const std::string path = JoinPath(folder, "kel_common.dat");
    const bool ok = WriteWholeFile(path, record.data(), uint32_t(record.size()));
    Diagnose("File: " + path +
             (ok ? std::string() : " FAILED, " + SystemErrorText(GetLastError())));
}

void RunFinishStep(const TInstallTarget& target, const TFinishChoices& choices) {
    WriteCommonDataFile(target);
    if (target.Portable) return;
    // The word processor registers the document types itself; it runs
    // alongside the wizard.
    StartWordProcessor(JoinPath(target.DestDir, "kel.exe"),
                       AssociationArguments(choices.DocumentTypes));
    PlaceShortcuts(target.DestDir, choices.InstallToAll, choices.Desktop, target.Scope);
}

bool RunLaunchStep(const TInstallTarget& target, bool launch, double installStamp,
                   std::vector<std::string>& publicFiles) {
    const std::string& destDir = target.DestDir;
    // Asking for the data folder creates it: only when there is something
    // to record.
    if (!target.Portable && !publicFiles.empty()) {
        const std::string base = DataFolder(TDataFolderKind::Base, target);
        std::string error;
        const bool written = WriteUpdateLog(base, installStamp, publicFiles, error);
        Diagnose("File: " + JoinPath(base, "Update.log") +
                 (written ? std::string() : " FAILED: " + error));
    }
    // The association command keeps the setup program's rights (it
    // registers the document types, for everyone in the machine's part of
    // the registry); the user's own editor does not. Started by this
    // process only when it runs as the user of the desktop with that
    // user's everyday rights; otherwise the desktop's shell starts it, or
    // nobody does.
    if (!launch) return true;
    const std::string program = JoinPath(destDir, "kel.exe");
    // Whether the program then starts is a side step like any other; only
    // finding no way to start it with the user's rights is reported.
    const TKernelHandle owner = DesktopOwner();
    const bool started =
        RunsAsUserOf(owner) && !RunsElevated()
            ? (StartWordProcessor(program, std::string()), true)
            : StartThroughDesktopShell(program, destDir) ||
                  StartAsDesktopOwner(owner, program, WordProcessorCommand(program, ""), destDir);
    if (!started)
        Diagnose("Launch: the word processor is not started: setup does not run as the user of "
                 "the desktop, and cannot start it as that user");
    return started;
}
