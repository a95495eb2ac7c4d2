#pragma once
// A modeless form made from a dialog template resource.
#include "WDialogWindow.h"

class WForm : public WDialogWindow {
public:
    // Create the window from the template; the CreateEvent runs inside this
    // call. False (and no window) when the window cannot be created.
    bool Create(HINSTANCE module, const char* templateName, HWND parent = nullptr);

protected:
    void DefaultClose() override;
    void OnCancelCommand() override; // a form is not closed by Escape
};
