#pragma once
// A push button that shows an icon; it owns the icon it shows.
#include "WCommandButton.h"
#include "WIcon.h"

class WPictureButton : public WCommandButton {
public:
    void SetPicture(WIcon&& icon);
    HICON GetPicture() const { return icon_.GetHandle(); }
    void SizeToContent() override; // the picture and the button's frame

private:
    WIcon icon_;
};
