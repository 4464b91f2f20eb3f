// Starting the installed word processor with the rights of the person
// signed in, not with the rights the setup program was given: on a system
// with UAC an elevated setup would otherwise start an elevated editor,
// opening the user's documents as an administrator.
#pragma once

#include <string>

// Whether this process runs with the full token of an administrator whose
// everyday token is a limited one (UAC on, "Run as administrator"). False
// on systems without UAC, where the question does not arise.
bool RunsElevated();

// Asks the desktop's shell (which runs with the user's own rights) to start
// the program in `folder`. False when there is no such shell to ask (no
// desktop, another shell, an older system): the caller starts it itself.
bool StartThroughDesktopShell(const std::string& program, const std::string& folder);
