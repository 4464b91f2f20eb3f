// The wizard's private window messages and timer ids, all in one place.
#pragma once

#include <windows.h>

// Timers of the wizard dialog.
// Polls the unpacking behind the Welcome page, and the install thread (its
// progress and its questions).
constexpr UINT_PTR kInstallTimer = 1;
constexpr UINT kInstallTimerMs = 100;
constexpr UINT_PTR kDriveTimer = 2; // looks for drives that came or went
constexpr UINT kDriveTimerMs = 1000;

// A check list box tells its parent that the box of a row was toggled.
// wParam: the row; lParam: the list box window.
constexpr UINT WM_QV_CLICKCHECK = WM_APP + 1;

// A check list box's answer to its accessible object: the state of row
// wParam (a TCheckState; unchecked for no such row).
constexpr UINT WM_QV_GETCHECKSTATE = WM_APP + 2;
