#pragma once

// True on the NT family from Windows 2000 (5.0) on. Read while the runtime
// starts, before WinMain.
extern const bool WindowsNT5OrLater;
