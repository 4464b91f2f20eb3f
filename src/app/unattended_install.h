// An installation without the wizard (/S, /PASSIVE): the choices of the
// options, else those an earlier run saved, else the defaults, as the wizard
// would offer them; then what the wizard does after Next on the Ready page
// and on the Finish page (never starting the word processor), and what
// follows the wizard. Nobody is asked anything.
#pragma once

#include "app/unattended_options.h"

// Runs the installation and returns the exit code (kExitSuccess, ...).
// The catalogue exists.
int RunUnattended(const TUnattendedOptions& options);
