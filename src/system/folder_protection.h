// Folders made for everyone outside Program Files get the protection
// Program Files has, so that no user can plant a file there that an
// administrator, SYSTEM or another user later runs: a drive's root, for
// one, lets every user change what is created below it.
#pragma once

#include "base/scoped_win.h"

#include <windows.h>

#include <string>

// Whom a protection lets in besides administrators and SYSTEM, who always
// have full control.
enum class TProtectionKind : unsigned char {
    ForEveryone,        // users read and run (the folders of an installation for everyone)
    ForMe,              // the user this program runs as, in full control (one for the user alone)
    AdministratorsOnly, // nobody, and Administrators the owner (the setup's own named objects)
};

// A protection to create folders or objects with: nothing inherited from
// the folder above; folders and files created below inherit it. The
// security functions are looked up at run time: the oldest systems the
// program must start on (to say that it needs a newer one) lack some of
// them.
class TProtection {
  public:
    explicit TProtection(TProtectionKind kind);
    TProtection(const TProtection&) = delete;
    TProtection& operator=(const TProtection&) = delete;

    // For the folders and named objects made with it; null when the system could not
    // build it.
    SECURITY_ATTRIBUTES* Attributes() { return Ready_ ? &Attributes_ : nullptr; }

  private:
    bool Ready_ = false;
    alignas(DWORD) unsigned char Acl_[256] = {};
    SECURITY_DESCRIPTOR Descriptor_{};
    SECURITY_ATTRIBUTES Attributes_{};
};

// Gives the open item (opened with WRITE_DAC) the access list of
// `attributes`. False when the system refused.
bool ProtectOpenItem(HANDLE item, const SECURITY_ATTRIBUTES& attributes);

// The Administrators group's SID (S-1-5-32-544), to be read only.
PSID AdministratorsGroup();

// Whether the kernel object (opened with READ_CONTROL) is owned by
// Administrators or SYSTEM: owners that only administrators can give an
// object. False when its owner cannot be read.
bool OwnedByAdministrators(HANDLE object);

// Whether the item's owner is one that only administrators can be:
// Administrators, SYSTEM, the system's installer service, or the user this
// setup program runs as (an administrator, when it installs for everyone).
bool OwnedByAdministrators(const std::string& path);

// Makes the open item (opened with WRITE_OWNER and WRITE_DAC) belong to the
// administrators again: Administrators as its owner and `protection`'s
// access list. False when the system refused.
bool TakeBack(HANDLE item, TProtection& protection);

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
