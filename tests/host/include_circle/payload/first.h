// The first of three payload files that include each other in a circle,
// all on one floor: the include-floor check must reject this tree.
#pragma once

#include "payload/second.h"
