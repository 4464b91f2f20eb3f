// The options of the command line. Without any of them the program is the
// wizard, exactly as ever; once one is given, nothing unknown starts it.
//
//   -dFOLDER          the destination (first argument only, as ever)
//   /DIR="FOLDER"     the destination, anywhere on the line
//   /D=FOLDER         the destination, last on the line, unquoted, blanks
//                     and all
//   /S                silent: no window at all (also /quiet, /VERYSILENT)
//   /PASSIVE          a small progress window, no questions (also /SILENT)
//   /CHECK            a dry run: every check, nothing installed
//   /COMPONENTS=a,b   component numbers (0 to 5) or names to install;
//                     component 0 always
//   /NOSHORTCUT       no desktop shortcut
//   /CURRENTUSER      the Start-menu shortcut for the user alone
//   /ASSOC=letters    the document types "A" to "D" (none when empty)
//   /LOG=file         a diagnostic log of the run, also of the wizard's
//   /SUPPRESSMSGBOXES, /NORESTART
//                     accepted: a run without the wizard asks nothing and
//                     never restarts the system anyway
//   /?                the usage message
//
// Options may stand anywhere, in any letter case. No windows.h.
#pragma once

#include "payload/components.h"
#include "system/associations.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TRunMode { Wizard, Silent, Passive, Check, Usage };

struct TCommandLineOptions {
    TRunMode Mode = TRunMode::Wizard;
    std::string Error;                       // what is wrong with the options; empty when nothing
    std::optional<std::string> Destination;  // of -d, /DIR= or /D=, as given
    std::string DestinationSwitch;           // which of them gave it, for the log
    std::optional<TComponentSet> Components; // the program always among them
    bool NoDesktopShortcut = false;
    bool CurrentUserOnly = false;
    std::optional<TDocumentTypes> DocumentTypes;
    std::string LogPath; // empty: no diagnostic log
    bool Any = false;    // an option at all (not counting a first "-d")
};

// Whether the run shows no window at all: silent, or a dry run.
inline bool ShowsNothing(const TCommandLineOptions& options) {
    return options.Mode == TRunMode::Silent || options.Mode == TRunMode::Check;
}

// The exit codes of a run without the wizard, as deployment tools know them.
constexpr int kExitSuccess = 0;
constexpr int kExitBadOptions = 87;    // the system's "invalid parameter"
constexpr int kExitFailed = 1603;      // a fatal error during installation
constexpr int kExitProductRuns = 1618; // another installation is in progress

// `args` without the program name (as Arguments splits them).
TCommandLineOptions ParseCommandLineOptions(const std::vector<std::string>& args);

// The usage message, with `error` above it when there is one.
std::string UsageText(const std::string& error);
