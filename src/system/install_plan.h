// The placement table: which payload files go where on this installation,
// and the work done with it when the Installing page is entered.
#pragma once

#include "payload/catalogue.h"
#include "payload/components.h"
#include "system/install_target.h"

#include <cstdint>
#include <string>

struct TInstallPlanInput {
    TInstallTarget Target;
    TComponentSet Components; // the components chosen
    int32_t LastRunVersion;   // saved by the word processor; kNoLastRunVersion when none
};

// Clears and fills the plan of the catalogue (creating the data folders it
// names), removes the clip-library images of versions before 3.0 and, when
// not portable, writes "install_stamp". Returns the install stamp, 0 on a
// portable installation. Runs on the wizard's thread before the install
// thread starts.
double BuildInstallPlan(TAttachedFiles& catalogue, const TInstallPlanInput& input);

// Whether the plan puts the component's files into the data folders (the
// dictionaries, templates, clip library and sound scheme) rather than the
// destination.
constexpr bool PlannedIntoDataFolders(int component) {
    return component != kProgram && component != kHyphenation;
}
