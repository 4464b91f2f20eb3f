// The clip library's small pictures: bullets, a target, check marks and
// dividers, drawn with integer arithmetic so they come out the same on
// every machine.
#pragma once

#include "gif_writer.h"

namespace sample {

// Bullet number 1 to 32: four shapes in eight colours.
IndexedImage Bullet(int number);
IndexedImage Target();
// Check mark number 1 to 4 (tick in four colours); number 0 is a cross.
IndexedImage Checkmark(int number);
// Divider number 1 to 3: dotted line, double rule, colour fade.
IndexedImage Divider(int number);

} // namespace sample
