#include "engine/install_run.h"

#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine/install_status.h"
#include "engine/install_thread.h"
#include "payload/diagnostic_log.h"
#include "payload/disk_space.h"
#include "payload/folders.h"
#include "payload/install_log.h"
#include "system/data_folders.h"
#include "system/destination_rules.h"
#include "system/finish_step.h"
#include "system/folder_protection.h"
#include "system/install_plan.h"
#include "system/registry.h"
#include "system/running_instance.h"
#include "system/uninstall_entry.h"
#include "system/write_access.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <vector>

namespace {
// Whether `path` is `folder` or lies below it, letter case aside.
bool IsWithin(const std::string& path, const std::string& folder) {
    const std::string root = WithoutBackslash(folder);
    if (root.empty() || path.size() < root.size()) return false;
    if (!SameName(path.substr(0, root.size()), root)) return false;
    return path.size() == root.size() || path[root.size()] == '\\';
}

// Folders whose protection is already the system's: the Program Files
// folders (both of them on a 64-bit system) and the user's own profile,
// which no other user can reach.
bool HasProtectionOfItsOwn(const std::string& destDir) {
    std::vector<std::string> places = {SpecialFolder(CSIDL_PROGRAM_FILES),
                                       SpecialFolder(CSIDL_PROGRAM_FILESX86),
                                       SpecialFolder(CSIDL_PROFILE)};
    if (const char* native = std::getenv("ProgramW6432")) places.push_back(native);
    for (const std::string& place : places)
        if (IsWithin(destDir, place)) return true;
    return false;
}

// The destination of an installation for everyone, outside the system's
// own protected places, is created with the protection Program Files has;
// one that exists and that users may change is installed into as it is,
// and the log says so.
void PrepareDestination(const std::string& destDir) {
    if (HasProtectionOfItsOwn(destDir)) return;
    if (FolderExists(destDir)) {
        if (UsersMayWrite(destDir))
            Diagnose("Destination: users who are no administrators may change files in " + destDir +
                     "; it is installed into as it is");
        return;
    }
    TProtectionForEveryone protection;
    MakeFolder(JoinPath(destDir, ""), protection.Attributes());
    Diagnose(std::string("Destination: created ") +
             (protection.Attributes()
                  ? "for administrators to change and users to read and run"
                  : "without protection of its own (the system cannot set it)"));
}
} // namespace

TInstallChoices ChoicesFromSettings(const TSavedSettings& saved,
                                    const std::optional<std::string>& given) {
    TInstallChoices choices;
    TOptions& options = choices.Options;
    options.DestDir = OfferedDestination(saved.MainDir);
    choices.DestinationHow =
        options.DestDir == saved.MainDir ? "saved by an earlier run" : "the default";
    if (given) {
        options.DestDir = *given;
        choices.DestinationHow = "given with -d";
    }
    options.Components = saved.Components;
    options.Extensions = saved.Extensions;
    choices.Components = TComponentSet(saved.Components);
    choices.Components.Add(kProgram);
    for (int box = 0; box < kDocumentTypes; ++box)
        choices.DocumentTypes[box] = DocumentTypeChosen(saved.Extensions, box);
    choices.InstallToAll = saved.InstallToAll;
    choices.Desktop = saved.DesktopShortcut;
    choices.Launch = saved.Launch;
    choices.LastRunVersion = saved.LastRunVersion;
    return choices;
}

TInstallRun::TInstallRun(TAttachedFiles& catalogue, TInstallChoices choices)
    : Choices(std::move(choices)), Catalogue_(catalogue), Scope_(DecideInstallScope()) {}

TInstallRun::~TInstallRun() = default;

// ---------------------------------------------------------------- checks

std::string TInstallRun::DestinationRefusal(const std::string& folder) const {
    std::vector<std::string> names;
    for (const TAttachedFile& file : Catalogue_.Files())
        names.push_back(file.Name);
    std::string refusal = ::DestinationRefusal(folder, LongestDestination(names));
    // Found out now, not at the first file: a standard user cannot write
    // under Program Files.
    if (refusal.empty() && FolderWriteAccess(folder) == TWriteAccess::Denied)
        refusal = NoWriteAccessMessage(folder, PerUserDestination());
    return refusal;
}

int64_t TInstallRun::RequiredSpace() const {
    int64_t required = 0;
    for (int component = 0; component < ComponentCount; ++component)
        if (Choices.Components.Has(component))
            required += FileListSize(Catalogue_.Files(), ComponentFileLists[component],
                                     Choices.Options.DestDir);
    return required;
}

int64_t TInstallRun::AvailableSpace() const {
    return FreeSpace(DrivePart(Choices.Options.DestDir));
}

std::string TInstallRun::SpaceShortfall() const {
    const int64_t required = RequiredSpace(), available = AvailableSpace();
    if (available != kUnknownFreeSpace && available >= required) return std::string();
    return "Not enough space on the destination's drive: " + std::to_string(required) +
           " bytes needed, " +
           (available == kUnknownFreeSpace ? std::string("unknown") : std::to_string(available)) +
           " available";
}

bool TInstallRun::WordProcessorRuns() const {
    return IsWordProcessorRunning(Choices.Options.DestDir);
}

// ---------------------------------------------------------------- the run

void TInstallRun::Start() {
    if (Thread_) return;
    const std::string& destDir = Choices.Options.DestDir;
    // Asked once: a drive that changes its kind, or a stick pulled out,
    // later in the run must not turn half of the installation portable.
    Portable_ = IsPortable(destDir);
    // An earlier run's "Install.log" is continued.
    StartInstallLog(Portable_ ? std::string() : JoinPath(destDir, "Install.log"));
    Diagnose(std::string("Installation: ") + InstallScopeText(Scope_));
    if (!Portable_ && Scope_ == TInstallScope::ForEveryone) {
        PrepareDestination(destDir);
        SecureMachineDataFolder();
    }
    Choices.Components.Add(kProgram);
    Stamp_ = BuildInstallPlan(
        Catalogue_, {destDir, Choices.Components, Choices.LastRunVersion, Portable_, Scope_});
    DiagnoseInstallation(destDir, Choices.DestinationHow, Portable_, Choices.Components,
                         Catalogue_);
    BeginInstallRun();
    Thread_ = std::make_unique<TInstallThread>(Catalogue_);
    Thread_->Start();
}

int32_t TInstallRun::TotalSize() const {
    return Catalogue_.TotalInstallSize();
}

int32_t TInstallRun::Progress() const {
    return InstallStatus.Progress.load(std::memory_order_acquire);
}

uint8_t TInstallRun::Component() const {
    return InstallStatus.Component.load(std::memory_order_acquire);
}

TInstallRun::TCopy TInstallRun::Poll(const TRunAsk& ask) {
    switch (InstallState()) {
    case TInstallState::Question:
        // The thread waits for the answer; it reads it once it is handed over.
        if (TakeQuestion())
            AnswerQuestion(ask(InstallStatus.Message, InstallStatus.Kind, InstallStatus.Buttons));
        return TCopy::Running;
    case TInstallState::Done:
        EndInstallRun();
        return TCopy::Done;
    case TInstallState::Failed:
        // The thread has asked the user already.
        return TCopy::Failed;
    default:
        return TCopy::Running;
    }
}

void TInstallRun::Hold() {
    HoldInstallRun();
}

void TInstallRun::Release() {
    ReleaseInstallRun();
}

void TInstallRun::Quit() {
    // The thread stops after the file it is writing; a question it has put
    // and nobody took is withdrawn.
    if (Thread_) QuitInstallRun();
}

void TInstallRun::WaitForCopy() {
    if (Thread_) Thread_->WaitFor();
}

HANDLE TInstallRun::CopyHandle() const {
    return Thread_ ? Thread_->Handle() : nullptr;
}

void TInstallRun::Finish() {
    TFinishChoices finish;
    finish.DestDir = Choices.Options.DestDir;
    finish.Portable = Portable_;
    finish.Scope = Scope_;
    for (int box = 0; box < kDocumentTypes; ++box)
        finish.DocumentTypes[box] = Choices.DocumentTypes[box];
    finish.InstallToAll = Choices.InstallToAll;
    finish.Desktop = Choices.Desktop;
    const std::string extensions = RunFinishStep(finish);
    // A portable installation has no document types: its letters stay.
    if (!Portable_) Choices.Options.Extensions = extensions;
}

void TInstallRun::Launch(bool launch) {
    RunLaunchStep(Choices.Options.DestDir, Portable_, Scope_, launch, Stamp_,
                  Catalogue_.PublicFiles);
}

void TInstallRun::Record() {
    if (!Thread_) return;
    // The first component is always installed rather than chosen: its bit
    // is saved clear, as its row on the components page is never ticked.
    bool ticked[ComponentCount] = {};
    for (int component = 1; component < ComponentCount; ++component)
        ticked[component] = Choices.Components.Has(component);
    TOptions options = Choices.Options;
    options.Components = ComponentsToSave(options.Components, ticked);
    TRegistry registry;
    SaveSettings(registry, options, Choices.InstallToAll, Choices.Desktop, Choices.Launch);
    if (Portable_) return;
    WriteUninstallEntry(registry, options.DestDir, Scope_ == TInstallScope::ForEveryone);
    SaveInstallLog();
}
