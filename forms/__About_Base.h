#pragma once
// Generated base of the About box: its controls and their wiring.
#include "WCommandButton.h"
#include "WDialog.h"
#include "WLabel.h"
#include "WPictureBox.h"

class __About_Base : public WDialog {
public:
    __About_Base();
    ~__About_Base() override;

    // Show the box modally over `parent`; returns when it is closed.
    bool Create(WWindow* parent);

    WCommandButton* cb_ok = nullptr;
    WPictureBox* pictb_1 = nullptr;
    WLabel* label_1 = nullptr;

protected:
    virtual void SetTabOrder();

private:
    bool OnCreate(WObject* source, WEventData* data);
    bool OnClose(WObject* source, WEventData* data);
    bool OnDestroy(WObject* source, WEventData* data);
    bool OnOk(WObject* source, WEventData* data);
};
