#include "WIcon.h"

bool WIcon::Load(HINSTANCE module, int resourceId, int width, int height)
{
    const UINT flags = (width == 0 && height == 0) ? LR_DEFAULTSIZE : 0;
    WIconHandle icon(static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, width, height, flags)));
    if (!icon) return false;
    icon_ = std::move(icon);
    return true;
}
