// Where an installation writes: the destination, whether it is portable and
// whom it is for. Decided once, when the installation starts, and handed on
// as one value: every place the run writes (data folders, plan, finish and
// launch steps) follows the same decisions.
#pragma once

#include "system/install_scope.h"

#include <string>
#include <utility>

struct TInstallTarget {
    // All three are given: a forgotten one must not quietly mean "for everyone".
    TInstallTarget(std::string destDir, bool portable, TInstallScope scope)
        : DestDir(std::move(destDir)), Portable(portable), Scope(scope) {}

    std::string DestDir;
    bool Portable;       // the destination lies on removable media
    TInstallScope Scope; // for everyone, or for the user alone
};
