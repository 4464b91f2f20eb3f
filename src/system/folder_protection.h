// Folders made for everyone outside Program Files get the protection
// Program Files has, so that no user can plant a file there that an
// administrator, SYSTEM or another user later runs: a drive's root, for
// one, lets every user change what is created below it.
#pragma once

#include "base/scoped_win.h"

#include <windows.h>

#include <string>

// Administrators and SYSTEM in full control, users able to read and run
// only; nothing inherited from the folder above; folders and files created
// below inherit it. The security functions are looked up at run time: the
// oldest systems the program must start on (to say that it needs a newer
// one) lack some of them.
class TProtectionForEveryone {
  public:
    TProtectionForEveryone();
    TProtectionForEveryone(const TProtectionForEveryone&) = delete;
    TProtectionForEveryone& operator=(const TProtectionForEveryone&) = delete;

    // For CreateDirectoryA; null when the system could not build it.
    SECURITY_ATTRIBUTES* Attributes() { return Ready_ ? &Attributes_ : nullptr; }

  private:
    bool Ready_ = false;
    alignas(DWORD) unsigned char Acl_[256] = {};
    SECURITY_DESCRIPTOR Descriptor_{};
    SECURITY_ATTRIBUTES Attributes_{};
};

// Whether the item's owner is one that only administrators can be:
// Administrators, SYSTEM, the system's installer service, or the user this
// setup program runs as (an administrator, when it installs for everyone).
bool OwnedByAdministrators(const std::string& path);

// While it lives, an administrator's rights to open items whatever their
// access list says (to look at what someone else planted, and to move it
// aside) are turned on; they are turned off again after.
class TTakingBack {
  public:
    TTakingBack();
    ~TTakingBack();
    TTakingBack(const TTakingBack&) = delete;
    TTakingBack& operator=(const TTakingBack&) = delete;

  private:
    TKernelHandle Token_;
    alignas(DWORD) unsigned char Previous_[64] = {};
    bool Changed_ = false;
};

// Whether the folder's access list lets users who are no administrators
// (everyone, authenticated users, users, interactive users) create or
// change items in it. False when it cannot be read.
bool UsersMayWrite(const std::string& folder);
