#pragma once
// Generated base of the main window: owns every control, the menu bar, the
// toolbar, the timer and the two dialog objects; builds them when the window
// is created and deletes them when it is destroyed.
#include "About.h"
#include "MagicComboBox.h"
#include "SendButtons.h"
#include "WCheckBox.h"
#include "WComboBox.h"
#include "WCommandButton.h"
#include "WEventData.h"
#include "WForm.h"
#include "WGroupBox.h"
#include "WLabel.h"
#include "WMenu.h"
#include "WPictureButton.h"
#include "WTextBox.h"
#include "WTimer.h"
#include "WToolbar.h"

class __Form1_Base : public WForm {
public:
    __Form1_Base();
    ~__Form1_Base() override;

    // Controls, in the order the form creates them.
    WGroupBox* groupb_1 = nullptr;
    WComboBox* combo_baudrate = nullptr;
    WLabel* label_1 = nullptr;
    WLabel* label_2 = nullptr;
    WComboBox* combo_databits = nullptr;
    WComboBox* combo_stopbits = nullptr;
    WLabel* label_3 = nullptr;
    WComboBox* combo_parity = nullptr;
    WLabel* label_4 = nullptr;
    WPictureButton* pictbttn_1 = nullptr;
    WGroupBox* groupb_2 = nullptr;
    WCommandButton* cb_send = nullptr;
    WTextBox* textb_log = nullptr;
    WLabel* label_6 = nullptr;
    WLabel* label_7 = nullptr;
    WComboBox* combo_comm = nullptr;
    WCheckBox* checkbox_crlf = nullptr;
    WComboBox* combo_crlf = nullptr;
    WToolbar* toolb_1 = nullptr;
    WCheckBox* checkbox_echo = nullptr;
    WTimer* periodicTimer = nullptr;
    WCheckBox* checkbox_periodic = nullptr;
    WLabel* label_5 = nullptr;
    WComboBox* combo_periodic = nullptr;
    WLabel* label_8 = nullptr;
    WGroupBox* groupb_3 = nullptr;
    MagicComboBox* magicCombo_send = nullptr;

    // The dialogs; their windows exist only while they are shown.
    SendButtons* sendButtonsDialog = nullptr;
    About* aboutDialog = nullptr;

    // The menu bar and the items the handlers reach.
    WMenu* menu_1 = nullptr;
    WMenuItem* menu_sendButtonsDialog = nullptr; // 1001
    WMenuItem* menu_sendF1 = nullptr;            // 1003
    WMenuItem* menu_sendF2 = nullptr;            // 1004
    WMenuItem* menu_sendF3 = nullptr;            // 1005
    WMenuItem* menu_sendF4 = nullptr;            // 1006
    WMenuItem* menu_sendF5 = nullptr;            // 1007
    WMenuItem* menu_hexMode = nullptr;           // 1009
    WMenuItem* menu_clearLog = nullptr;          // 1010
    WMenuItem* menu_clearSendList = nullptr;     // 1011
    WMenuItem* menu_exit = nullptr;              // 1013
    WMenuItem* menu_about = nullptr;             // 1015

protected:
    // The window order of the children, which is the Tab order.
    virtual void SetTabOrder();
    // The derived form's handlers: connect or disconnect them all.
    virtual void ConnectFormHandlers(bool connect);
    // The derived form's create handler, called near the end of creation.
    virtual bool OnFormCreate(WCreateEventData* data);

private:
    bool OnCreate(WObject* source, WEventData* data);
    bool OnClose(WObject* source, WEventData* data);
    bool OnDestroy(WObject* source, WEventData* data);

    void ConstructMembers();
    void LoadMenu();
    void AttachResourceControls(int firstId, int lastId);
    void SetUpControls();
    void DeleteMembers();
};
