#pragma once
// A modal dialog made from a dialog template resource.
#include "WDialogWindow.h"

class WDialog : public WDialogWindow {
public:
    // Show the dialog and return when it has been closed. -1 when it could
    // not be shown, otherwise the value given to End.
    INT_PTR Run(HINSTANCE module, const char* templateName, HWND parent);
    // End the modal loop with `result` (from a handler of the dialog).
    void End(INT_PTR result);

protected:
    void DefaultClose() override;
    void OnCancelCommand() override; // Escape takes the close box's path
};
