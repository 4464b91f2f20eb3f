#include "engine/install_run.h"

#include "base/code_page.h"
#include "base/locale_text.h"
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
#include "system/destination_protection.h"
#include "system/destination_rules.h"
#include "system/finish_step.h"
#include "system/install_plan.h"
#include "system/registry.h"
#include "system/running_instance.h"
#include "system/uninstall_entry.h"
#include "system/write_access.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

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
        names.push_back(Utf8FromAnsi(file.Name));
    std::string refusal = ::DestinationRefusal(folder, LongestDestination(names));
    // Found out now, not at the first file: a standard user cannot write
    // under Program Files.
    if (refusal.empty() && FolderWriteAccess(folder) == TWriteAccess::Denied)
        refusal = NoWriteAccessMessage(folder, PerUserDestination());
    // A stick has no protection to give; anywhere else the word processor
    // the setup program starts must be the one it copied.
    if (refusal.empty() && !IsPortable(folder))
        refusal = DestinationProtectionRefusal(folder, Scope_);
    return refusal;
}

void TInstallRun::MeasureComponents() {
    // Portable or not is decided only when the run starts; the drive is
    // asked now, as Start will ask it.
    const TInstallTarget target(Choices.DestDir, IsPortable(Choices.DestDir), Scope_);
    std::string data = DataFolderPath(TDataFolderKind::Public, target);
    // Without a data folder its files are not planned; they are counted on
    // the destination all the same.
    if (data.empty()) data = Choices.DestDir;
    const std::string drive = DrivePart(data);
    DataDrive_ = SameName(drive, DrivePart(Choices.DestDir)) ? std::string() : drive;
    for (int component = 0; component < ComponentCount; ++component)
        ComponentSizes_[component] =
            FileListSize(Catalogue_.Files(), ComponentFileLists[component],
                         PlannedIntoDataFolders(component) ? data : Choices.DestDir);
}

int64_t TInstallRun::ComponentSize(int component) const {
    return component >= 0 && component < ComponentCount ? ComponentSizes_[component] : 0;
}

TSpaceVerdict TInstallRun::Space(TComponentSet components) const {
    TSpaceVerdict verdict;
    verdict.Destination.Drive = DrivePart(Choices.DestDir);
    verdict.Data.Drive = DataDrive_;
    for (int component = 0; component < ComponentCount; ++component) {
        if (!components.Has(component)) continue;
        const bool data = !DataDrive_.empty() && PlannedIntoDataFolders(component);
        (data ? verdict.Data : verdict.Destination).Required += ComponentSizes_[component];
    }
    verdict.Destination.Available = FreeSpace(verdict.Destination.Drive);
    if (!DataDrive_.empty()) verdict.Data.Available = FreeSpace(DataDrive_);
    return verdict;
}

std::string TInstallRun::SpaceShortfall() {
    MeasureComponents();
    const TSpaceVerdict space = Space(Choices.Components);
    if (space.Enough()) return std::string();
    const TDriveSpace& drive = space.Telling();
    return "Not enough space on drive " + drive.Drive +
           (&drive == &space.Destination ? " (the destination's): " : " (the data folders'): ") +
           std::to_string(drive.Required) + " bytes needed, " +
           (drive.Available == kUnknownFreeSpace ? std::string("unknown")
                                                 : std::to_string(drive.Available)) +
           " available";
}

bool TInstallRun::WordProcessorRuns() const {
    return IsWordProcessorRunning(Choices.DestDir);
}

// ---------------------------------------------------------------- the run

bool TInstallRun::Start() {
    if (Thread_) return true;
    // Asked once: a drive that changes its kind, or a stick pulled out,
    // later in the run must not turn half of the installation portable.
    Target_.emplace(Choices.DestDir, IsPortable(Choices.DestDir), Scope_);
    const TInstallTarget& target = *Target_;
    // An earlier run's "Install.log" is continued.
    StartInstallLog(target.Portable ? std::string() : JoinPath(target.DestDir, "Install.log"));
    Diagnose(std::string("Installation: ") + InstallScopeText(Scope_));
    // Nothing is copied into a destination that someone else could change
    // meanwhile, nor through a folder that could be renamed or replaced.
    Hold_ = std::make_unique<TDestinationHold>(target);
    if (!Hold_->Failed().empty()) {
        StartFailure_ = Hold_->Failed();
        Diagnose("Destination: not installed: " + StartFailure_);
        return false;
    }
    if (!target.Portable && Scope_ == TInstallScope::ForEveryone) {
        StartFailure_ = SecureMachineDataFolder();
        if (!StartFailure_.empty()) return false; // the log says why
    }
    Choices.Components.Add(kProgram);
    Stamp_ = BuildInstallPlan(Catalogue_, {target, Choices.Components, Saved_.LastRunVersion});
    DiagnoseInstallation(target, Choices.DestinationHow, Choices.Components, Catalogue_);
    BeginInstallRun();
    Thread_ = std::make_unique<TInstallThread>(Catalogue_);
    Thread_->Start();
    return true;
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

bool TInstallRun::LaunchStep(bool start) {
    return !Target_ || RunLaunchStep(*Target_, start, Stamp_, Catalogue_.PublicFiles);
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
