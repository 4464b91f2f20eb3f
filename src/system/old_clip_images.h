// The clip-library images of versions before 3.0, which later versions
// replaced: removed when an installation updates such a version.
#pragma once

#include "base/open_items.h"

#include <string>

// Removes the old images from the documents folder's "Quorvale" folder (the
// destination on a portable installation): the "Checkmarks" folder of
// "Clip Library\Images" with everything in it, and the named files of its
// "Bullets" folder. Results are not examined.
void RemoveOldClipImages(const std::string& dest, bool portable,
                         TLinkTest isLink = HasReparsePoint);
