#include "WForm.h"

#include "WWindowMap.h"

bool WForm::Create(HINSTANCE module, const char* templateName, HWND parent)
{
    if (GetHandle()) return false;
    WWindowMap::SetPendingCreation(this);
    HWND handle = CreateDialogParamA(module, templateName, parent, &WDialogWindow::DialogProc, 0);
    WWindowMap::TakePendingCreation(); // nothing pending after a failed creation
    if (!handle) {
        UnbindHandle();
        return false;
    }
    return true;
}

void WForm::DefaultClose()
{
    Destroy();
}

void WForm::OnCancelCommand() {}
