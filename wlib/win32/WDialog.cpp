#include "WDialog.h"

#include "WWindowMap.h"

INT_PTR WDialog::Run(HINSTANCE module, const char* templateName, HWND parent)
{
    if (GetHandle()) return -1;
    WWindowMap::SetPendingCreation(this);
    const INT_PTR result = DialogBoxParamA(module, templateName, parent, &WDialogWindow::DialogProc, 0);
    WWindowMap::TakePendingCreation();
    UnbindHandle();
    return result;
}

void WDialog::End(INT_PTR result)
{
    if (GetHandle()) EndDialog(GetHandle(), result);
}

void WDialog::DefaultClose()
{
    End(0);
}

void WDialog::OnCancelCommand()
{
    SendMessageA(GetHandle(), WM_CLOSE, 0, 0);
}
