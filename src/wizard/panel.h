// A plain container window of the program's own: the wizard's panels, its
// page area and the pages themselves. It paints its background (and an
// etched bevel when asked) and hands its children's notifications on to the
// dialog, so that the form sees every control's events in one place.
#pragma once

#include <windows.h>

#include <cstdint>

enum class TPanelBevel : uint8_t { None, Etched }; // etched: outer bevel lowered, inner raised

// Creates a panel; `colour` CLR_INVALID means the system's button face.
HWND CreatePanel(HWND parent, int id, const RECT& bounds, COLORREF colour, TPanelBevel bevel,
                 bool visible);
