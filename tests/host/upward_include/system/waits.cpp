// A system file that reaches up to the engine, the floor above it: the
// include-floor check must reject this tree.
#include "system/waits.h"

#include "engine/install_status.h"
