#include "WPictureButton.h"

void WPictureButton::SetPicture(WIcon&& icon)
{
    HWND handle = GetHandle();
    if (handle) {
        SetWindowLongPtrA(handle, GWL_STYLE, GetWindowLongPtrA(handle, GWL_STYLE) | BS_ICON);
        SendMessageA(handle, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.GetHandle()));
    }
    icon_ = std::move(icon); // the old icon goes only after the button stopped using it
}

void WPictureButton::SizeToContent()
{
    HWND handle = GetHandle();
    if (!handle || !icon_.IsValid()) return;
    ICONINFO info{};
    int width = GetSystemMetrics(SM_CXICON);
    int height = GetSystemMetrics(SM_CYICON);
    if (GetIconInfo(icon_.GetHandle(), &info)) {
        BITMAP bitmap{};
        if (info.hbmMask && GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap)) {
            width = bitmap.bmWidth;
            height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
        }
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
    const int frame = 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
    SetWindowPos(handle, nullptr, 0, 0, width + frame, height + frame, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
