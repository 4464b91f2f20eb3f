#include "engine/install_run.h"

#include "base/ansi_text.h"
#include "base/path_exists.h"
#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine/install_status.h"
#include "engine/install_thread.h"
#include "engine/installation_diagnosis.h"
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
    choices.DestDir = OfferedDestination(saved.MainDir);
    choices.DestinationHow =
        choices.DestDir == saved.MainDir ? "saved by an earlier run" : "the default";
    if (given) {
        choices.DestDir = *given;
        choices.DestinationHow = "given with -d";
    }
    choices.Components = TComponentSet(saved.Components);
    choices.Components.Add(kProgram);
    choices.DocumentTypes = TDocumentTypes::FromLetters(saved.Extensions);
    choices.InstallToAll = saved.InstallToAll;
    choices.Desktop = saved.DesktopShortcut;
    choices.Launch = saved.Launch;
    return choices;
}

TInstallRun::TInstallRun(TAttachedFiles& catalogue, const TSavedSettings& saved,
                         const std::optional<std::string>& given)
    : Choices(ChoicesFromSettings(saved, given)), Catalogue_(catalogue), Saved_(saved),
      Scope_(DecideInstallScope()) {}

TInstallRun::~TInstallRun() = default;

// ---------------------------------------------------------------- checks

std::string TidiedDestination(const std::string& typed, char drive) {
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    if (!drive) drive = programFiles.empty() ? 'c' : programFiles[0];
    return NormalizedDestination(typed, drive, programFiles);
}

TTakenDestination TInstallRun::TakeDestination(const std::string& typed, char drive) {
    TTakenDestination taken;
    taken.Folder = TidiedDestination(typed, drive);
    taken.Refusal = DestinationRefusal(taken.Folder);
    if (taken.Refusal.empty()) Choices.DestDir = taken.Folder;
    return taken;
}

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

void TInstallRun::MeasureComponents() {
    for (int component = 0; component < ComponentCount; ++component)
        ComponentSizes_[component] =
            FileListSize(Catalogue_.Files(), ComponentFileLists[component], Choices.DestDir);
}

int64_t TInstallRun::ComponentSize(int component) const {
    return component >= 0 && component < ComponentCount ? ComponentSizes_[component] : 0;
}

TSpaceVerdict TInstallRun::Space(TComponentSet components) const {
    TSpaceVerdict verdict;
    for (int component = 0; component < ComponentCount; ++component)
        if (components.Has(component)) verdict.Required += ComponentSizes_[component];
    verdict.Available = FreeSpace(DrivePart(Choices.DestDir));
    return verdict;
}

std::string TInstallRun::SpaceShortfall() {
    MeasureComponents();
    const TSpaceVerdict space = Space(Choices.Components);
    if (space.Enough()) return std::string();
    return "Not enough space on the destination's drive: " + std::to_string(space.Required) +
           " bytes needed, " +
           (space.Available == kUnknownFreeSpace ? std::string("unknown")
                                                 : std::to_string(space.Available)) +
           " available";
}

bool TInstallRun::WordProcessorRuns() const {
    return IsWordProcessorRunning(Choices.DestDir);
}

// ---------------------------------------------------------------- the run

std::string TInstallRun::Start() {
    if (Thread_) return std::string();
    // Asked once: a drive that changes its kind, or a stick pulled out,
    // later in the run must not turn half of the installation portable.
    Target_.emplace(Choices.DestDir, IsPortable(Choices.DestDir), Scope_);
    const TInstallTarget& target = *Target_;
    // An earlier run's "Install.log" is continued.
    StartInstallLog(target.Portable ? std::string() : JoinPath(target.DestDir, "Install.log"));
    Diagnose(std::string("Installation: ") + InstallScopeText(Scope_));
    if (!target.Portable && Scope_ == TInstallScope::ForEveryone) {
        PrepareDestination(target.DestDir);
        const std::string unsafe = SecureMachineDataFolder();
        if (!unsafe.empty()) return unsafe;
    }
    Choices.Components.Add(kProgram);
    Stamp_ = BuildInstallPlan(Catalogue_, {target, Choices.Components, Saved_.LastRunVersion});
    DiagnoseInstallation(target, Choices.DestinationHow, Choices.Components, Catalogue_);
    BeginInstallRun();
    Thread_ = std::make_unique<TInstallThread>(Catalogue_);
    Thread_->Start();
    return std::string();
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

void TInstallRun::FinishStep() {
    if (!Target_) return;
    RunFinishStep(*Target_, {Choices.DocumentTypes, Choices.InstallToAll, Choices.Desktop});
    Finished_ = true;
}

void TInstallRun::LaunchStep(bool start) {
    if (Target_) RunLaunchStep(*Target_, start, Stamp_, Catalogue_.PublicFiles);
}

void TInstallRun::Record() {
    if (!Thread_) return;
    // After a quit the thread may still be finishing the file in hand; it
    // writes the installation log until then.
    Thread_->WaitFor();
    TSavedSettings settings = Saved_;
    settings.MainDir = Choices.DestDir;
    // The first component is always installed rather than chosen: its bit
    // is saved clear, as its row on the components page is never ticked.
    TComponentSet ticked = Choices.Components;
    ticked.Remove(kProgram);
    settings.Components = ComponentsToSave(Saved_.Components, ticked);
    // The document types are saved once handed to the word processor; a
    // portable installation has none, and keeps the letters it found.
    if (Finished_ && !Target_->Portable) settings.Extensions = Choices.DocumentTypes.Letters();
    settings.InstallToAll = Choices.InstallToAll;
    settings.DesktopShortcut = Choices.Desktop;
    settings.Launch = Choices.Launch;
    TRegistry registry;
    SaveSettings(registry, settings);
    if (Target_->Portable) return;
    WriteUninstallEntry(registry, settings.MainDir, Scope_ == TInstallScope::ForEveryone);
    SaveInstallLog();
}
