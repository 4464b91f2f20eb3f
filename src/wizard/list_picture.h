// A small picture of the drive and folder lists: a bitmap resource whose
// bottom-left pixel gives the colour that stays transparent.
#pragma once

#include "base/scoped_win.h"

#include <windows.h>

class TListPicture {
  public:
    // Loads the bitmap resource of that name; a missing one leaves the
    // picture empty (it then draws nothing and is 0 by 0).
    void Load(const char* name);
    bool Empty() const { return !Image_.Get(); }
    int Width() const { return Size_.cx; }
    int Height() const { return Size_.cy; }
    // Draws the picture with its top left at (x, y).
    void Draw(HDC dc, int x, int y) const;

  private:
    TBitmapHandle Image_; // transparent pixels made black, for painting with OR
    TBitmapHandle Mask_;  // white where transparent, black elsewhere
    SIZE Size_{0, 0};
};
