// Starting the installed word processor with the rights of the person
// signed in, not with the rights the setup program was given: on a system
// with UAC an elevated setup would otherwise start an elevated editor,
// opening the user's documents as an administrator.
#pragma once

#include "base/scoped_win.h"

#include <string>

// Whether this process runs with the full token of an administrator whose
// everyday token is a limited one (UAC on, "Run as administrator"). False
// on systems without UAC, where the question does not arise.
bool RunsElevated();

// The process behind the desktop's shell window, or, where there is no
// shell window, behind the desktop window: the person at the screen. Null
// when there is none to open, or when it is SYSTEM's (the desktop
// window's owner where the shell is gone): a program started as SYSTEM
// would hand that person SYSTEM's rights.
TKernelHandle DesktopOwner();

// Whether this process runs as the user of `owner` (a DesktopOwner).
bool RunsAsUserOf(const TKernelHandle& owner);

// Starts `program` with the command line in `folder` with the token of
// `owner` (a DesktopOwner), not waiting for it. False when there is no
// such token to take, or the system cannot start a program with one
// (before Windows Vista); true once the program was handed to the system
// with it, whether it then starts or not.
bool StartAsDesktopOwner(const TKernelHandle& owner, const std::string& program,
                         const std::string& command, const std::string& folder);

// Asks the desktop's shell (which runs with the user's own rights) to start
// the program in `folder`. False when there is no such shell to ask (no
// desktop, another shell, an older system).
bool StartThroughDesktopShell(const std::string& program, const std::string& folder);
