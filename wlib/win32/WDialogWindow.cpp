#include "WDialogWindow.h"

#include "WEventData.h"
#include "WMenu.h"
#include "WWindowMap.h"

WDialogWindow::~WDialogWindow()
{
    // The icons and brush this object owns must outlive the window using them.
    // Unbound first: a half-destroyed object gets no more messages.
    HWND handle = GetHandle();
    UnbindHandle();
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

bool WDialogWindow::SetIcon(HINSTANCE module, int resourceId)
{
    const LPCSTR name = MAKEINTRESOURCEA(resourceId);
    WIconHandle large(static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                    GetSystemMetrics(SM_CYICON), 0)));
    WIconHandle small(static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                    GetSystemMetrics(SM_CYSMICON), 0)));
    if (!large && !small) return false;
    if (GetHandle()) {
        SendMessageA(GetHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.Get()));
        SendMessageA(GetHandle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    }
    largeIcon_ = std::move(large);
    smallIcon_ = std::move(small);
    return true;
}

void WDialogWindow::SetBackgroundColor(COLORREF color)
{
    background_.Reset(CreateSolidBrush(color));
    backgroundColor_ = color;
    if (GetHandle()) InvalidateRect(GetHandle(), nullptr, TRUE);
}

bool WDialogWindow::RequestClose()
{
    return GetHandle() && PostMessageA(GetHandle(), WM_CLOSE, 0, 0);
}

bool WDialogWindow::AttachMenu(WMenu* menu)
{
    if (!GetHandle() || !menu || !::SetMenu(GetHandle(), menu->GetHandle())) return false;
    menu_ = menu;
    return true;
}

void WDialogWindow::DetachMenu()
{
    if (GetHandle() && menu_) ::SetMenu(GetHandle(), nullptr);
    menu_ = nullptr;
}

bool WDialogWindow::OnMenuCommand(int id)
{
    if (!menu_) return false;
    WMenuItem* item = menu_->FindItem(id);
    if (!item) return false;
    WClickEventData data;
    data.id = id;
    item->RaiseEvent(WEventId::Click, &data);
    return true;
}

bool WDialogWindow::HandleClose()
{
    WQueryCloseEventData query;
    RaiseEvent(WEventId::QueryClose, &query);
    if (query.cancel) return true;
    WEventData data;
    if (!RaiseEvent(WEventId::Close, &data)) DefaultClose();
    return true;
}

HBRUSH WDialogWindow::BackgroundBrush(HDC dc)
{
    if (!background_) return nullptr;
    SetBkColor(dc, backgroundColor_);
    return background_.Get();
}

bool WDialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITDIALOG: {
        WCreateEventData data;
        data.window = GetHandle();
        RaiseEvent(WEventId::Create, &data);
        result = TRUE; // let the system give the focus to the first tab stop
        return true;
    }
    case WM_CLOSE:
        result = 0;
        return HandleClose();
    case WM_DESTROY: {
        WEventData data;
        RaiseEvent(WEventId::Destroy, &data);
        return false;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && (lParam == 0 || GetDlgItem(GetHandle(), IDCANCEL) == nullptr)) {
            OnCancelCommand();
            result = 0;
            return true;
        }
        return HandleCommonMessage(message, wParam, lParam, result);
    case WM_CTLCOLORDLG:
        if (HBRUSH brush = BackgroundBrush(reinterpret_cast<HDC>(wParam))) {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HandleCommonMessage(message, wParam, lParam, result)) return true;
        if (HBRUSH brush = BackgroundBrush(reinterpret_cast<HDC>(wParam))) {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        return false;
    default:
        return HandleCommonMessage(message, wParam, lParam, result);
    }
}

INT_PTR CALLBACK WDialogWindow::DialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WDialogWindow* window = dynamic_cast<WDialogWindow*>(WWindowMap::Find(handle));
    if (!window) {
        // The first message of a window being created: bind it to its object.
        window = dynamic_cast<WDialogWindow*>(WWindowMap::TakePendingCreation());
        if (!window) return FALSE;
        window->BindHandle(handle);
    }
    if (message == WM_NCDESTROY) {
        window->menu_ = nullptr;
        window->UnbindHandle();
        return FALSE;
    }
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = window->OnMessage(message, wParam, lParam, result);
    } catch (...) {
        // Nothing may unwind through the system's dialog manager.
        handled = false;
    }
    if (!handled) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
        return static_cast<INT_PTR>(result); // these return their value directly
    default:
        SetWindowLongPtrA(handle, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
