// The window classes of the common controls that this program uses.
#pragma once

// Makes the progress bar's window class known, on every system from the
// oldest common controls on.
void RegisterProgressBarClass();
