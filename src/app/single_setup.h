// One setup program at a time: two copying the same files into the same
// folders would spoil each other's work.
#pragma once

#include "base/scoped_win.h"
#include "system/user_rights.h"

// Holds the program's marks of a running setup while it lives. Every run
// holds the machine-wide name, which any user may make: it keeps a
// standard user's run out while anyone's runs. An administrator's run takes
// as well a mark no standard user can make, and ignores a machine-wide name
// that no administrator made.
class TSingleSetup {
  public:
    explicit TSingleSetup(TAdministrator rights = Administrator());
    TSingleSetup(const TSingleSetup&) = delete;
    TSingleSetup& operator=(const TSingleSetup&) = delete;

    // Another setup runs: this one must not.
    bool Second() const { return Second_; }
    // ...and it is known to run for another user (this one may not open its
    // mark).
    bool ForAnotherUser() const { return ForAnotherUser_; }
    // An administrator's run found the machine-wide name made by a user who
    // is no administrator (a standard user's own run, or planted to keep
    // every setup out), and went on.
    bool IgnoredUsersName() const { return IgnoredUsersName_; }

    // Brings the other copy's wizard to the front, when it has one here.
    static void ShowFirst();

  private:
    TKernelHandle Mutex_;
    TKernelHandle Namespace_, AdministratorsMutex_;
    TFileHandle AdministratorsLock_;
    bool Second_ = false;
    bool ForAnotherUser_ = false;
    bool IgnoredUsersName_ = false;
};
