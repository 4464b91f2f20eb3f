// What a screen reader learns of the components list. The list draws its
// rows itself, so the standard accessible object of a list box knows their
// names but not their boxes. The list answers for its client area with that
// standard object (oleacc.dll, loaded at run time by its full system path:
// an old system may lack it), completing each row's state with "checked"
// for a ticked row and "unavailable" for the fixed one.
#pragma once

#include <windows.h>

// The answer to WM_GETOBJECT for a check list box; 0 where the request is
// for another object or oleacc.dll is missing (the list's own procedure then
// answers as for any list box). The rows' states come from the list itself
// (WM_QV_GETCHECKSTATE), so an object a reader keeps after the list is gone
// only reports rows as unchecked.
LRESULT AccessibleCheckList(HWND list, WPARAM wp, LPARAM lp);

// Tells screen readers that the state of row `row` changed.
void NotifyCheckStateChange(HWND list, int row);
