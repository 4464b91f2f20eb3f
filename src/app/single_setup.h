// One setup program at a time: two copying the same files into the same
// folders would spoil each other's work.
#pragma once

#include "base/scoped_win.h"

// Holds the program's named mutex while it lives. When another copy holds
// it already, Second() is true and, with `showFirst`, that copy's window has
// been brought to the front.
class TSingleSetup {
  public:
    explicit TSingleSetup(bool showFirst);
    TSingleSetup(const TSingleSetup&) = delete;
    TSingleSetup& operator=(const TSingleSetup&) = delete;

    bool Second() const { return Second_; }

  private:
    TKernelHandle Mutex_;
    bool Second_ = false;
};
