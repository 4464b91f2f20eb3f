// What the diagnostic log (/LOG) tells of an installation as it begins.
#pragma once

#include "payload/components.h"
#include "system/install_target.h"

#include <string>

class TAttachedFiles;
// The start of an installation: where (and how that folder was chosen),
// whether portable, which components; then every planned copy.
void DiagnoseInstallation(const TInstallTarget& target, const std::string& how,
                          TComponentSet components, const TAttachedFiles& catalogue);
