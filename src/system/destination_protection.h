// The destination folder as a place the word processor runs from: nobody
// but administrators and SYSTEM (and, for an installation for the user
// alone, that user) may change it, from the moment the installation starts
// until the setup program has run it for the last time.
#pragma once

#include "base/open_items.h"
#include "system/install_target.h"

#include <string>
#include <vector>

// Folders whose protection is already the system's: the Program Files
// folders (both of them on a 64-bit system) and the user's own profile,
// which no other user can reach.
bool HasProtectionOfItsOwn(const std::string& destDir);

// Why an existing destination cannot be installed into for `scope`, in
// words for the user, or empty: a folder outside the system's protected
// places that users who are no administrators may change, or (on a local
// drive) that belongs to someone else. An empty one can be taken back, and
// is not refused. A missing folder is made with the protection it needs.
std::string DestinationProtectionRefusal(const std::string& destDir, TInstallScope scope);

// The folders from the destination's drive or share down to the
// destination, each opened inside the one before with links refused and
// held: while they are, nobody can rename them or put a link in their
// place, so what the setup program starts is what it copied.
class TDestinationHold {
  public:
    // Before anything is copied: makes a missing destination with the
    // protection of `target`'s scope (outside the system's protected
    // places), takes an existing empty one back, then holds the chain.
    // Failed() tells why it could not, in words for the user.
    explicit TDestinationHold(const TInstallTarget& target);
    const std::string& Failed() const { return Failure_; }

  private:
    TOpenItem HoldChain(const std::string& dest, bool guarded);

    std::vector<TOpenItem> Chain_;
    std::string Failure_;
};
