#include "WBitmap.h"

bool WBitmap::Load(HINSTANCE module, int resourceId)
{
    WBitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return false;
    bitmap_ = std::move(bitmap);
    return true;
}
