#pragma once
// A static picture: an icon or a bitmap, owned by the control object.
#include "WBitmap.h"
#include "WIcon.h"
#include "WWindow.h"

class WPictureBox : public WWindow {
public:
    void SetIcon(WIcon&& icon);
    void SetBitmap(WBitmap&& bitmap);

private:
    WIcon icon_;
    WBitmap bitmap_;
};
