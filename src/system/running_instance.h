// Whether the installed word processor is running: while it runs it keeps
// a non-zero window property "1.x Kestrovane" on one of its top-level
// windows (hidden ones too). The setup program never sets it itself.
#pragma once

#include <string>

inline constexpr char kRunningMarker[] = "1.x Kestrovane";

// A marked window on this desktop, or, with `destDir`, a process running
// the destination's "kel.exe" in any session (whose windows this desktop
// does not show).
bool IsWordProcessorRunning(const std::string& destDir = std::string());
