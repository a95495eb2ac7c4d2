#pragma once
// Generated base of the send-button dialog: its controls and their wiring.
#include "SendButtonsFDXStruct.h"
#include "WCommandButton.h"
#include "WDialog.h"
#include "WPictureBox.h"
#include "WTextBox.h"

class __SendButtons_Base : public WDialog {
public:
    __SendButtons_Base();
    ~__SendButtons_Base() override;

    // Show the dialog modally over `parent`, editing `record` in place.
    // Returns when the dialog is closed; false when it could not be shown.
    bool Create(WWindow* parent, SendButtonsFDXStruct* record);

    WPictureBox* pictb_1 = nullptr;
    WTextBox* textb_1 = nullptr;
    WPictureBox* pictb_2 = nullptr;
    WTextBox* textb_2 = nullptr;
    WPictureBox* pictb_3 = nullptr;
    WTextBox* textb_3 = nullptr;
    WPictureBox* pictb_4 = nullptr;
    WTextBox* textb_4 = nullptr;
    WPictureBox* pictb_5 = nullptr;
    WTextBox* textb_5 = nullptr;
    WCommandButton* cb_1 = nullptr;

protected:
    virtual void SetTabOrder();

private:
    bool OnCreate(WObject* source, WEventData* data);
    bool OnClose(WObject* source, WEventData* data);
    bool OnDestroy(WObject* source, WEventData* data);
    bool OnOk(WObject* source, WEventData* data);

    WTextBox* TextBox(int index) const;

    SendButtonsFDXStruct* fdx = nullptr;
};
