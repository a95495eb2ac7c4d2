#pragma once
// A bitmap loaded from the program's resources; owns its HBITMAP.
#include <windows.h>

#include "WHandle.h"

class WBitmap {
public:
    WBitmap() = default;
    bool Load(HINSTANCE module, int resourceId);
    HBITMAP GetHandle() const { return bitmap_.Get(); }
    bool IsValid() const { return bitmap_.IsValid(); }

private:
    WBitmapHandle bitmap_;
};
