// Whether the installed word processor is running: while it runs it keeps
// a non-zero window property "1.x Kestrovane" on one of its top-level
// windows (hidden ones too). The setup program never sets it itself.
#pragma once

constexpr char kRunningMarker[] = "1.x Kestrovane";

bool IsWordProcessorRunning();
