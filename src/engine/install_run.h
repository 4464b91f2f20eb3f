// The one installation sequence. The wizard and the runs without it (silent,
// passive, the dry run) all drive it; they differ only in how they ask and
// what they show. In order:
//
//   Choices            loaded from the saved settings (and "-d"), then
//                      changed by the front-end until Start
//   the checks         DestinationRefusal (the destination page's Next),
//                      SpaceShortfall (the components page),
//                      WordProcessorRuns (leaving Welcome and Ready); a run
//                      without the wizard asks all of them before Start
//   Start              the portable decision, the logs, the plan, the
//                      install thread
//   Poll               the copy's progress and the thread's questions, on
//                      the front-end's timer or loop
//   Finish             the finish step (the Finish page's entry)
//   Launch             the launch step (the Finish button)
//   Record             after the front-end: the settings, the uninstall
//                      entry and "Install.log", when Start was reached
#pragma once

#include "payload/catalogue.h"
#include "payload/components.h"
#include "system/associations.h"
#include "system/install_scope.h"
#include "system/settings.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TInstallThread;

// The user's choices, one record for every front-end.
struct TInstallChoices {
    TOptions Options;                        // DestDir, the saved component set, Extensions
    TComponentSet Components;                // the components to install (the program always)
    bool DocumentTypes[kDocumentTypes] = {}; // the document types to take over
    bool InstallToAll = true;                // the Start-menu link for everyone
    bool Desktop = true;                     // a link on the desktop
    bool Launch = true;                      // start the word processor at the end
    int32_t LastRunVersion = kNoLastRunVersion;
    std::string DestinationHow = "chosen in the wizard"; // for the diagnostic log
};

// The choices an earlier run saved (or the defaults), with the folder of a
// "-d" argument, when given, in place of the saved or default destination.
TInstallChoices ChoicesFromSettings(const TSavedSettings& saved,
                                    const std::optional<std::string>& given);

// How a front-end asks the user; kinds, buttons and answers are AskUser's.
using TRunAsk = std::function<int(const std::string& text, uint8_t kind, uint16_t buttons)>;

class TInstallRun {
  public:
    enum class TCopy : uint8_t { Running, Done, Failed };

    TInstallRun(TAttachedFiles& catalogue, TInstallChoices choices);
    ~TInstallRun(); // the thread object waits for its thread
    TInstallRun(const TInstallRun&) = delete;
    TInstallRun& operator=(const TInstallRun&) = delete;

    TInstallChoices Choices;

    // ------------------------------------------------------------ checks
    // Why the folder cannot be the destination, in words for the user, or
    // empty when it can: not a plain folder path, too long for the deepest
    // file, or one this user may not write to.
    std::string DestinationRefusal(const std::string& folder) const;
    // The bytes the chosen components need on the destination's volume,
    // and what it has free (kUnknownFreeSpace when it cannot be asked).
    int64_t RequiredSpace() const;
    int64_t AvailableSpace() const;
    // Why there is not enough space for the chosen components, or empty.
    std::string SpaceShortfall() const;
    // Whether the word processor runs: a marked window, or kel.exe of the
    // destination in any session.
    bool WordProcessorRuns() const;

    // ------------------------------------------------------------ the run
    // Decides once whether the installation is portable, starts the
    // installation log, creates the destination, plans the copies and
    // starts the thread. From then on the run is started, whatever comes
    // of it (Started).
    void Start();
    bool Started() const { return Thread_ != nullptr; }
    bool Portable() const { return Portable_; }
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

    // The finish step: "kel_common.dat", the document types handed to the
    // word processor, the shortcuts. The letters chosen go into
    // Choices.Options.Extensions (a portable installation keeps its own).
    void Finish();
    // The launch step: "Update.log", then the word processor when `launch`.
    void Launch(bool launch);
    // After the front-end has closed, when Start was reached: the settings,
    // the uninstall entry (unless portable) and "Install.log".
    void Record();

  private:
    TAttachedFiles& Catalogue_;
    std::unique_ptr<TInstallThread> Thread_;
    double Stamp_ = 0;
    bool Portable_ = false;
    TInstallScope Scope_;
};
