// What the shell's COM objects need of us: an interface pointer that is
// released when it goes (TComPtr, with the other handles in scoped_win.h).
#pragma once

#include "base/scoped_win.h"

#include <windows.h>
