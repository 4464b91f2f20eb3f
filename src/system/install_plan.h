// The placement table: which payload files go where on this installation,
// and the work done with it when the Installing page is entered.
#pragma once

#include "payload/catalogue.h"
#include "payload/components.h"
#include "system/install_scope.h"

#include <cstdint>
#include <string>

struct TInstallPlanInput {
    std::string DestDir;
    TComponentSet Components;            // the components chosen
    int32_t LastRunVersion = 2147483647; // saved by the word processor; the maximum when none
    bool Portable = false;               // IsPortable, asked once when the installation began
    TInstallScope Scope = TInstallScope::ForEveryone; // decided once as well
};

// Clears and fills the plan of the catalogue (creating the data folders it
// names), removes the clip-library images of versions before 3.0 and, when
// not portable, writes "install_stamp". Returns the install stamp, 0 on a
// portable installation. Runs on the wizard's thread before the install
// thread starts.
double BuildInstallPlan(TAttachedFiles& catalogue, const TInstallPlanInput& input);
