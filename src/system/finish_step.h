// What follows the copying: the finish step, run when the wizard enters its
// Finish page (the common data file, the document types handed to the word
// processor, the shortcuts), and the launch step, run by the Finish button
// (the update log, starting the word processor).
#pragma once

#include "system/associations.h"
#include "system/install_target.h"

#include <string>
#include <vector>

// "kel_common.dat": two 32-bit numbers, 1 and 8, then the day count of
// `now`, all little-endian: 16 bytes.
std::string CommonDataRecord(double now);
// Writes the record of the current local time into the base data folder,
// replacing the file. Failures are ignored; the file is not logged.
void WriteCommonDataFile(const TInstallTarget& target);

// What the finish step does beyond the common data file.
struct TFinishChoices {
    TDocumentTypes DocumentTypes; // handed to the word processor
    bool InstallToAll;            // the Start-menu link for everyone
    bool Desktop;                 // a link on the desktop
};

// Writes "kel_common.dat"; unless portable, starts kel.exe with the
// association command for the chosen document types (not waited for) and
// places the shortcuts.
void RunFinishStep(const TInstallTarget& target, const TFinishChoices& choices);

// Unless portable, adds this run's files in the shared data folder to
// "Update.log" (one that cannot be written is a line of the diagnostic log,
// and nothing more: the files are all in place); when `launch` is set,
// starts kel.exe without arguments as the user of the desktop, not waiting
// for it. False when it was to be started and could not be started so
// (nothing is started then: never with rights the user does not have).
bool RunLaunchStep(const TInstallTarget& target, bool launch, double installStamp,
                   std::vector<std::string>& publicFiles);
