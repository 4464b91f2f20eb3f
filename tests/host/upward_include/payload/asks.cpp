// A payload file that reaches up to the wizard: the include-floor check
// must reject this tree.
#include "payload/asks.h"

#include "wizard/message_dialog.h"
