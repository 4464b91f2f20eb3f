// The logos as Windows bitmaps: a "PNG" resource decoded into a palette DIB
// section of 1, 4 or 8 bits per pixel whose colour table is the file's
// palette.
//
// The bitmap comes in a handle that deletes it. It is an ordinary DIB
// section: select it into a memory DC (CreateCompatibleDC) and
// BitBlt it, or hand it to a static control of style SS_BITMAP with
// STM_SETIMAGE (IMAGE_BITMAP). A static control does not free the bitmap it
// shows, so keep the handle until the control is gone or shows another one.
#pragma once

#include "base/scoped_win.h"
#include "image/png_decoder.h"

#include <windows.h>

// Loads resource type "PNG" named `name` of the program's own module. On any
// failure (no such resource, a file the reader cannot place, GDI refusing the
// bitmap) it returns false and leaves `bitmap` as it was: the picture simply
// stays empty, with no message. At another `dpi` than 96 the picture is
// drawn to scale, smoothly, in a 32-bit DIB section.
bool LoadPngResource(const char* name, TBitmapHandle& bitmap, int dpi = 96);

// The same from another module, such as one loaded with
// LOAD_LIBRARY_AS_DATAFILE.
bool LoadPngResource(HMODULE module, const char* name, TBitmapHandle& bitmap, int dpi = 96);

// Makes the DIB section for a decoded image; none when GDI refuses it.
TBitmapHandle CreatePaletteBitmap(const TPNGImage& image);

// The palette DIB section at 96 pixels per inch; at another `dpi` a 32-bit
// one of the picture scaled smoothly to that density.
TBitmapHandle CreateScaledBitmap(const TPNGImage& image, int dpi);
