#pragma once
// A push button; raises ClickEvent when clicked (mouse, Space or Enter).
#include "WWindow.h"

class WCommandButton : public WWindow {
public:
    // Make this the default push button of its dialog or form.
    void SetDefault();
    void SetPushed(bool pushed);
    void OnParentCommand(UINT notifyCode, int id) override;
};
