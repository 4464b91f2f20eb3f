// The options of an installation without the wizard, read from the
// arguments. Without any of them the program is the wizard, exactly as
// ever: every other argument but a first "-d<folder>" is then ignored.
//
//   /S               silent: no window at all
//   /PASSIVE         a small progress window, no questions
//   /COMPONENTS=a,b  component numbers (0 to 5) or names to install;
//                    component 0 always
//   /NOSHORTCUT      no desktop shortcut
//   /CURRENTUSER     the Start-menu shortcut for the user alone
//   /ASSOC=letters   the document types "A" to "D" (none when empty)
//   /LOG=file        a diagnostic log of the run, also of the wizard's
//   /?               the usage message
//
// Options may stand anywhere, in any letter case. No windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TRunMode { Wizard, Silent, Passive, Usage };

struct TUnattendedOptions {
    TRunMode Mode = TRunMode::Wizard;
    std::string Error;                  // what is wrong with the options; empty when nothing
    std::optional<uint32_t> Components; // bit i = component i
    bool NoDesktopShortcut = false;
    bool CurrentUserOnly = false;
    std::optional<std::string> Extensions; // letters, in the order A to D
    std::string LogPath;                   // empty: no diagnostic log
};

// The exit codes of an unattended run, as deployment tools know them.
constexpr int kExitSuccess = 0;
constexpr int kExitBadOptions = 87;    // the system's "invalid parameter"
constexpr int kExitFailed = 1603;      // a fatal error during installation
constexpr int kExitProductRuns = 1618; // another installation is in progress

// `args` without the program name.
TUnattendedOptions ParseUnattendedOptions(const std::vector<std::string>& args);

// The usage message, with `error` above it when there is one.
std::string UsageText(const std::string& error);
