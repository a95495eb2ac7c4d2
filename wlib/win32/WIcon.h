#pragma once
// An icon loaded from the program's resources; owns its HICON.
#include <windows.h>

#include "WHandle.h"

class WIcon {
public:
    WIcon() = default;
    // Size 0 × 0 takes the icon's own size.
    bool Load(HINSTANCE module, int resourceId, int width = 0, int height = 0);
    HICON GetHandle() const { return icon_.Get(); }
    bool IsValid() const { return icon_.IsValid(); }

private:
    WIconHandle icon_;
};
