// A stand-in message dialog on the system's message box, until the wizard
// brings its own. The message box offers only fixed button sets, so a set
// it lacks is shown with the nearest one.
#include "wizard/message_dialog.h"

#include <windows.h>

int MessageDialog(const std::string& text, uint8_t kind, uint16_t buttons) {
    static const char* const captions[] = {"Warning", "Error", "Information", "Confirm"};
    static const UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION};
    const unsigned k = kind < 4 ? kind : 0;
    UINT type = MB_OK;
    if (buttons & mbAbort)
        type = MB_ABORTRETRYIGNORE;
    else if ((buttons & mbYes) && (buttons & mbCancel))
        type = MB_YESNOCANCEL;
    else if (buttons & (mbYes | mbNo))
        type = MB_YESNO;
    else if ((buttons & mbRetry) && (buttons & mbCancel))
        type = MB_RETRYCANCEL;
    else if (buttons & mbCancel)
        type = MB_OKCANCEL;
    // The answer numbers are those of the message box's results.
    return MessageBoxA(nullptr, text.c_str(), captions[k], type | icons[k] | MB_TASKMODAL);
}
