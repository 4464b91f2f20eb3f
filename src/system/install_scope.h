// Whom an installation is for, decided once for the whole run (as the
// portable decision is) and followed by every place it writes: the links,
// the uninstall entry and the data folders.
#pragma once

enum class TInstallScope : unsigned char {
    ForEveryone, // the machine's places: common links, data and uninstall entry
    ForMe,       // the user's own: nothing machine-wide is written
};

// For everyone when this user may write the machine's places, for me
// otherwise. The machine's uninstall key stands for them: only an
// administrator (elevated where the system asks for it) may change it,
// whereas a standard user may still make folders in the common application
// data and would then own them.
TInstallScope DecideInstallScope();

// "for everyone" or "for me", for the diagnostic log.
const char* InstallScopeText(TInstallScope scope);
