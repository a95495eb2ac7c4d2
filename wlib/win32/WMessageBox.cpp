#include "WMessageBox.h"

#include "WWindow.h"

int WMessageBox::Show(const WWindow* owner, UINT style, const WString& caption, const WString& text)
{
    return MessageBoxA(owner ? owner->GetHandle() : nullptr, text.GetText(), caption.GetText(), style);
}
