// An installation without the wizard (/S, /PASSIVE) and its dry run
// (/CHECK): the choices of the options, else those an earlier run saved,
// else the defaults, as the wizard would offer them; the destination and
// every other check as the wizard makes them; then the installation run as
// the wizard drives it (never starting the word processor). Nobody is
// asked anything: a file that cannot be written is tried again a few times
// and then given up as Abort would be.
#pragma once

#include "app/command_line_options.h"
#include "engine/install_run.h"

// Runs the checks and, unless the options ask for a dry run, the
// installation; returns the exit code (kExitSuccess, ...). What follows an
// installation that was started (TInstallRun::Record) is the caller's.
int RunUnattended(TInstallRun& run, const TCommandLineOptions& options);
