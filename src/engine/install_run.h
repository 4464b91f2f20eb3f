// The one installation sequence, and the only door to the installation's
// data: the wizard and the runs without it (silent, passive, the dry run)
// all drive it; they differ only in how they ask and what they show. In
// order:
//
//   Choices            loaded from the saved settings (and "-d"), then
//                      changed by the front-end until Start: each wizard
//                      page shows its part on entry and writes it back when
//                      it is left with Next; the command line's options are
//                      written in before the checks
//   the checks         TakeDestination (the destination page's Next),
//                      Space (the components page), WordProcessorRuns
//                      (leaving Welcome and Ready); a run without the
//                      wizard asks all of them before Start
//   Start              the target decided (portable, scope), the logs, the
//                      plan, the install thread
//   Poll               the copy's progress and the thread's questions, on
//                      the front-end's timer or loop
//   FinishStep         the finish step (the Finish page's entry)
//   LaunchStep         the launch step (the Finish button)
//   Record             after the front-end, when Start was reached: waits
//                      for the thread, then the settings, the uninstall
//                      entry and "Install.log"
#pragma once

#include "payload/catalogue.h"
#include "payload/components.h"
#include "payload/disk_space.h"
#include "system/associations.h"
#include "system/install_scope.h"
#include "system/install_target.h"
#include "system/settings.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TInstallThread;

// The user's choices, one record for every front-end, one shape per fact.
struct TInstallChoices {
    std::string DestDir;
    TComponentSet Components;     // the components to install (the program always)
    TDocumentTypes DocumentTypes; // the document types to take over
    bool InstallToAll = true;     // the Start-menu link for everyone
    bool Desktop = true;          // a link on the desktop
    bool Launch = true;           // start the word processor at the end
    std::string DestinationHow = "chosen in the wizard"; // for the diagnostic log
};

// The choices an earlier run saved (or the defaults), with the folder of a
// "-d" argument, when given, in place of the saved or default destination.
TInstallChoices ChoicesFromSettings(const TSavedSettings& saved,
                                    const std::optional<std::string>& given);

// What the chosen components need on the destination's volume, and what it
// has free (kUnknownFreeSpace when it cannot be asked: then the files would
// be refused as well).
struct TSpaceVerdict {
    int64_t Required = 0;
    int64_t Available = 0;
    bool Enough() const { return Available != kUnknownFreeSpace && Available >= Required; }
};

// A typed or given folder tidied as a destination (NormalizedDestination):
// a folder without a drive gets `drive`, or the drive of Program Files when
// 0. The destination page shows a folder picked in its list so.
std::string TidiedDestination(const std::string& typed, char drive);

// A destination as the run takes it over: the folder tidied, and why it
// cannot be the destination (empty when it can).
struct TTakenDestination {
    std::string Folder;
    std::string Refusal;
};

// How a front-end asks the user; kinds, buttons and answers are AskUser's.
using TRunAsk = std::function<int(const std::string& text, uint8_t kind, uint16_t buttons)>;

class TInstallRun {
  public:
    enum class TCopy : uint8_t { Running, Done, Failed };

    // The choices start as `saved` left them, with a "-d" folder, when
    // given, as the destination.
    TInstallRun(TAttachedFiles& catalogue, const TSavedSettings& saved,
                const std::optional<std::string>& given);
    ~TInstallRun(); // the thread object waits for its thread
    TInstallRun(const TInstallRun&) = delete;
    TInstallRun& operator=(const TInstallRun&) = delete;

    TInstallChoices Choices;

    // The product's files, for what shows them before the installation
    // (the licence); complete once the catalogue has loaded.
    TAttachedFiles& Catalogue() { return Catalogue_; }

    // ------------------------------------------------------------ checks
    // Takes a typed or given folder over as the destination: tidied (a
    // folder without a drive gets `drive`, or the drive of Program Files
    // when 0), then checked: not a plain folder path, too long for the
    // deepest file, or one this user may not write to. Choices.DestDir
    // becomes the tidied folder unless it is refused.
    TTakenDestination TakeDestination(const std::string& typed, char drive);
    // Measures what each component needs on the destination's volume,
    // anew: the destination or its cluster size may have changed.
    void MeasureComponents();
    // Bytes component `component` needs, as last measured.
    int64_t ComponentSize(int component) const;
    // The verdict for `components` on the destination's volume, from the
    // last measure and the free space now.
    TSpaceVerdict Space(TComponentSet components) const;
    // Measures, then says why there is not enough space for the chosen
    // components, or empty.
    std::string SpaceShortfall();
    // Whether the word processor runs: a marked window, or kel.exe of the
    // destination in any session.
    bool WordProcessorRuns() const;

    // ------------------------------------------------------------ the run
    // Decides once where the installation writes (portable or not, for
    // whom), starts the installation log, creates the destination, plans
    // the copies and starts the thread. From then on the run is started,
    // whatever comes of it (Started). Empty then; otherwise why it could
    // not start (the machine-wide data folder cannot be made safe: also in
    // the diagnostic log), nothing is written into the data folder, and the
    // front-end ends as after an Abort.
    std::string Start();
    bool Started() const { return Thread_ != nullptr; }
    bool Portable() const { return Target_ && Target_->Portable; }
    // Whom the installation is for, decided once when the run is made: the
    // rights of the user do not change while it runs.
    TInstallScope Scope() const { return Scope_; }
    // Bytes of all planned copies, and of those finished.
    int32_t TotalSize() const;
    int32_t Progress() const;
    // The component being written; kNoComponent before the first.
    uint8_t Component() const;
    // One look at the thread: a question it put is asked through `ask`
    // (which may take its time) and answered.
    TCopy Poll(const TRunAsk& ask);
    // Holds the thread at its next check point (the quit question), and
    // lets it go on or stops it after the copy in hand.
    void Hold();
    void Release();
    void Quit();
    // Waits until the thread, if one was started, has ended.
    void WaitForCopy();
    // The thread's handle, to wait on with other things; null before Start.
    HANDLE CopyHandle() const;

    // The finish step: "kel_common.dat", the chosen document types handed
    // to the word processor, the shortcuts.
    void FinishStep();
    // The launch step: "Update.log", then the word processor when `start`
    // (the Finish page's box; a run without the wizard starts nothing).
    void LaunchStep(bool start);
    // After the front-end has closed, when Start was reached: once the
    // thread has ended (it writes the installation log until then), the
    // settings, the uninstall entry (unless portable) and "Install.log".
    void Record();

  private:
    std::string DestinationRefusal(const std::string& folder) const;

    TAttachedFiles& Catalogue_;
    const TSavedSettings Saved_;
    std::unique_ptr<TInstallThread> Thread_;
    std::optional<TInstallTarget> Target_; // decided by Start
    TInstallScope Scope_;
    int64_t ComponentSizes_[ComponentCount] = {};
    double Stamp_ = 0;
    bool Finished_ = false; // the finish step has handed the document types over
};
