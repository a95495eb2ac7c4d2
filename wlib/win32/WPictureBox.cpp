#include "WPictureBox.h"

void WPictureBox::SetIcon(WIcon&& icon)
{
    HWND handle = GetHandle();
    if (handle) {
        LONG_PTR style = GetWindowLongPtrA(handle, GWL_STYLE);
        style = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_ICON;
        SetWindowLongPtrA(handle, GWL_STYLE, style);
        SendMessageA(handle, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.GetHandle()));
    }
    icon_ = std::move(icon);
}

void WPictureBox::SetBitmap(WBitmap&& bitmap)
{
    HWND handle = GetHandle();
    if (handle) {
        LONG_PTR style = GetWindowLongPtrA(handle, GWL_STYLE);
        style = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_BITMAP;
        SetWindowLongPtrA(handle, GWL_STYLE, style);
        // A control that copied the bitmap (32-bit images) returns its copy: free it.
        HBITMAP previous = reinterpret_cast<HBITMAP>(
            SendMessageA(handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.GetHandle())));
        if (previous && previous != bitmap_.GetHandle()) DeleteObject(previous);
    }
    bitmap_ = std::move(bitmap);
}
