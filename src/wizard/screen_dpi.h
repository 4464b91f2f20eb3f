// The screen's density, in pixels per inch.
#pragma once

// The screen's vertical pixels per inch; 96 when it cannot be read.
int ScreenDpi();
