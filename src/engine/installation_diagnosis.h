// What the diagnostic log (/LOG) tells of an installation as it begins.
#pragma once

#include "payload/components.h"

#include <string>

class TAttachedFiles;
// The start of an installation: where (and how that folder was chosen),
// whether portable, which components; then every planned copy.
void DiagnoseInstallation(const std::string& destDir, const std::string& how, bool portable,
                          TComponentSet components, const TAttachedFiles& catalogue);
