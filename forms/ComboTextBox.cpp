#include "ComboTextBox.h"

bool ComboTextBox::IsEnterMessage(const MSG* message)
{
    if (!message) return false;
    if (message->message == WM_KEYDOWN) return message->wParam == VK_RETURN;
    if (message->message == WM_CHAR) return message->wParam == '\r' || message->wParam == '\n';
    return false;
}

bool ComboTextBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_GETDLGCODE:
        // Only Enter: Tab and Escape still belong to the dialog manager.
        result = CallDefault(message, wParam, lParam);
        if (IsEnterMessage(reinterpret_cast<const MSG*>(lParam))) result |= DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR:
        // Enter (CR) and Ctrl+Enter (LF) have no place in a one-line field.
        if (wParam == '\r' || wParam == '\n') {
            result = 0;
            return true;
        }
        return HandleCommonMessage(message, wParam, lParam, result);
    default:
        return HandleCommonMessage(message, wParam, lParam, result);
    }
}
