// The state of a row's box in a check list box: what the list keeps per
// row, and what it answers its accessible object (WM_QV_GETCHECKSTATE).
#pragma once

#include <cstdint>

enum class TCheckState : uint8_t { Unchecked = 0, Checked = 1, Grayed = 2 };
