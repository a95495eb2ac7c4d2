#include "__Form1_Base.h"

#include "DeleteControl.h"
#include "Form1.h"
#include "WApplication.h"
#include "resource_ids.h"

namespace {
const char* const kBaudrates[] = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char* const kDatabits[] = {"7", "8"};
const char* const kStopbits[] = {"1", "2"};
const char* const kParities[] = {"none", "even", "odd"};
const char* const kPorts[] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
const char* const kLineEnds[] = {"CR/LF", "CR", "LF", "LF/CR"};
const char* const kPeriods[] = {"0.1", "0.2", "0.5", "1", "1.5", "2", "3", "5", "10", "15", "20"};

constexpr int kComboHeightPixels = 125;
const char* const kFormFont = "8.MS Sans Serif";
const char* const kRulerFont = "10.Courier New";

template <std::size_t N>
void FillCombo(WComboBox* combo, const char* const (&items)[N])
{
    for (const char* item : items) combo->AddItem(item);
    combo->SetDroppedHeight(kComboHeightPixels);
}
} // namespace

__Form1_Base::__Form1_Base()
{
    Connect(WEventId::Create, this, WHandler(&__Form1_Base::OnCreate));
    Connect(WEventId::Close, this, WHandler(&__Form1_Base::OnClose));
    Connect(WEventId::Destroy, this, WHandler(&__Form1_Base::OnDestroy));
}

__Form1_Base::~__Form1_Base()
{
    // The derived form is gone already: its handlers must not run from here.
    Disconnect(WEventId::Create, this, WHandler(&__Form1_Base::OnCreate));
    Disconnect(WEventId::Close, this, WHandler(&__Form1_Base::OnClose));
    Disconnect(WEventId::Destroy, this, WHandler(&__Form1_Base::OnDestroy));
    Destroy();
    DetachMenu();
    DeleteMembers(); // when the window did not get to its destroy handler
}


void __Form1_Base::ConnectFormHandlers(bool) {}

bool __Form1_Base::OnFormCreate(WCreateEventData*)
{
    return false;
}

void __Form1_Base::ConstructMembers()
{
    groupb_1 = new WGroupBox;
    combo_baudrate = new WComboBox;
    label_1 = new WLabel;
    label_2 = new WLabel;
    combo_databits = new WComboBox;
    combo_stopbits = new WComboBox;
    label_3 = new WLabel;
    combo_parity = new WComboBox;
    label_4 = new WLabel;
    pictbttn_1 = new WPictureButton;
    groupb_2 = new WGroupBox;
    cb_send = new WCommandButton;
    textb_log = new WTextBox;
    label_6 = new WLabel;
    label_7 = new WLabel;
    combo_comm = new WComboBox;
    checkbox_crlf = new WCheckBox;
    combo_crlf = new WComboBox;
    toolb_1 = new WToolbar;
    checkbox_echo = new WCheckBox;
    periodicTimer = new WTimer;
    checkbox_periodic = new WCheckBox;
    label_5 = new WLabel;
    combo_periodic = new WComboBox;
    label_8 = new WLabel;
    groupb_3 = new WGroupBox;
    magicCombo_send = new MagicComboBox;
    sendButtonsDialog = new SendButtons;
    aboutDialog = new About;
}

void __Form1_Base::LoadMenu()
{
    menu_1 = new WMenu;
    if (!menu_1->Load(WApplication::GetModule(), "ID_Form1_menu_1")) return;
    menu_sendButtonsDialog = menu_1->GetItem(IDM_SEND_BUTTONS_DIALOG);
    menu_sendF1 = menu_1->GetItem(IDM_SEND_F1);
    menu_sendF2 = menu_1->GetItem(IDM_SEND_F2);
    menu_sendF3 = menu_1->GetItem(IDM_SEND_F3);
    menu_sendF4 = menu_1->GetItem(IDM_SEND_F4);
    menu_sendF5 = menu_1->GetItem(IDM_SEND_F5);
    menu_hexMode = menu_1->GetItem(IDM_HEX_MODE);
    menu_clearLog = menu_1->GetItem(IDM_CLEAR_LOG);
    menu_clearSendList = menu_1->GetItem(IDM_CLEAR_SEND_LIST);
    menu_exit = menu_1->GetItem(IDM_EXIT);
    menu_about = menu_1->GetItem(IDM_ABOUT);
    AttachMenu(menu_1);
}

void __Form1_Base::AttachResourceControls(int firstId, int lastId)
{
    struct Binding {
        int id;
        WWindow* control;
    };
    const Binding bindings[] = {
        {ID_GROUPB_1, groupb_1},           {ID_COMBO_BAUDRATE, combo_baudrate},
        {ID_LABEL_1, label_1},             {ID_LABEL_2, label_2},
        {ID_COMBO_DATABITS, combo_databits}, {ID_COMBO_STOPBITS, combo_stopbits},
        {ID_LABEL_3, label_3},             {ID_COMBO_PARITY, combo_parity},
        {ID_LABEL_4, label_4},             {ID_PICTBTTN_1, pictbttn_1},
        {ID_GROUPB_2, groupb_2},           {ID_CB_SEND, cb_send},
        {ID_TEXTB_LOG, textb_log},         {ID_LABEL_6, label_6},
        {ID_LABEL_7, label_7},             {ID_COMBO_COMM, combo_comm},
        {ID_CHECKBOX_CRLF, checkbox_crlf}, {ID_COMBO_CRLF, combo_crlf},
        {ID_CHECKBOX_ECHO, checkbox_echo}, {ID_CHECKBOX_PERIODIC, checkbox_periodic},
        {ID_LABEL_5, label_5},             {ID_COMBO_PERIODIC, combo_periodic},
        {ID_LABEL_8, label_8},             {ID_GROUPB_3, groupb_3},
        {ID_MAGICCOMBO_SEND, magicCombo_send},
    };
    for (const Binding& binding : bindings) {
        if (binding.id >= firstId && binding.id <= lastId) binding.control->AttachDlgItem(*this, binding.id);
    }
}

void __Form1_Base::SetUpControls()
{
    struct Named {
        WWindow* control;
        const char* name;
    };
    const Named names[] = {
        {groupb_1, "groupb_1"},         {combo_baudrate, "combo_baudrate"},
        {label_1, "label_1"},           {label_2, "label_2"},
        {combo_databits, "combo_databits"}, {combo_stopbits, "combo_stopbits"},
        {label_3, "label_3"},           {combo_parity, "combo_parity"},
        {label_4, "label_4"},           {pictbttn_1, "pictbttn_1"},
        {groupb_2, "groupb_2"},         {cb_send, "cb_send"},
        {textb_log, "textb_log"},       {label_6, "label_6"},
        {label_7, "label_7"},           {combo_comm, "combo_comm"},
        {checkbox_crlf, "checkbox_crlf"}, {combo_crlf, "combo_crlf"},
        {toolb_1, "toolb_1"},           {checkbox_echo, "checkbox_echo"},
        {checkbox_periodic, "checkbox_periodic"}, {label_5, "label_5"},
        {combo_periodic, "combo_periodic"}, {label_8, "label_8"},
        {groupb_3, "groupb_3"},         {magicCombo_send, "magicCombo_send"},
    };
    for (const Named& named : names) named.control->SetName(named.name);

    FillCombo(combo_baudrate, kBaudrates);
    FillCombo(combo_databits, kDatabits);
    FillCombo(combo_stopbits, kStopbits);
    FillCombo(combo_parity, kParities);
    FillCombo(combo_comm, kPorts);
    FillCombo(combo_crlf, kLineEnds);
    FillCombo(combo_periodic, kPeriods);
    magicCombo_send->SetDroppedHeight(kComboHeightPixels);

    for (WLabel* label : {label_1, label_2, label_3, label_4}) label->SizeToContent();
    label_6->SetFont(kRulerFont);
    label_6->SizeToContent();
    label_7->SetFont(kRulerFont);
    label_7->SizeToContent();

    textb_log->SetFont(kRulerFont);
    textb_log->SetTextColor(WTextBox::PredefinedColor(1));
    textb_log->SetTextLimit(65535);
    textb_log->SetMargins(0, 0); // the first column sits under the ruler's first digit

    WIcon plugApart;
    plugApart.Load(WApplication::GetModule(), IDI_PLUG_APART);
    pictbttn_1->SetPicture(std::move(plugApart));
    pictbttn_1->SetPushed(false);
    pictbttn_1->SizeToContent();

    cb_send->SetDefault();
    cb_send->SetPushed(false);

    checkbox_crlf->SetChecked(false);
    checkbox_crlf->SizeToContent();
    checkbox_echo->SetChecked(true);
    checkbox_echo->SizeToContent();
    checkbox_periodic->SetChecked(false);
}

void __Form1_Base::SetTabOrder()
{
    WWindow* const order[] = {groupb_1,       combo_baudrate, label_1,        label_2,       combo_databits,
                              combo_stopbits, label_3,        combo_parity,   label_4,       pictbttn_1,
                              groupb_2,       cb_send,        textb_log,      label_6,       label_7,
                              combo_comm,     checkbox_crlf,  combo_crlf,     toolb_1,       checkbox_echo,
                              checkbox_periodic, label_5,     combo_periodic, label_8,       groupb_3,
                              magicCombo_send};
    const WWindow* previous = nullptr;
    for (WWindow* window : order) {
        window->PlaceAfter(previous);
        previous = window;
    }
}

bool __Form1_Base::OnCreate(WObject*, WEventData* data)
{
    ConstructMembers();
    SetIcon(WApplication::GetModule(), IDI_DART);
    SetFont(kFormFont);
    SetName("Form1");
    LoadMenu();
    AttachResourceControls(ID_GROUPB_1, ID_COMBO_CRLF);
    toolb_1->Create(*this, WApplication::GetModule(), "ID_Form1_toolb_1_data");
    AttachResourceControls(ID_CHECKBOX_ECHO, ID_MAGICCOMBO_SEND);
    SetUpControls();
    ConnectFormHandlers(true);
    SetTabOrder();
    const bool result = OnFormCreate(static_cast<WCreateEventData*>(data));
    Show();
    return result;
}

bool __Form1_Base::OnClose(WObject*, WEventData*)
{
    const bool destroyed = Destroy();
    if (destroyed && static_cast<__Form1_Base*>(GetMainWindow()) == this) WApplication::Quit(0);
    return true;
}

bool __Form1_Base::OnDestroy(WObject*, WEventData*)
{
    ConnectFormHandlers(false);
    DetachMenu();
    DeleteMembers();
    return false;
}

void __Form1_Base::DeleteMembers()
{
    DeleteControl(menu_1);
    menu_sendButtonsDialog = menu_sendF1 = menu_sendF2 = menu_sendF3 = menu_sendF4 = menu_sendF5 = nullptr;
    menu_hexMode = menu_clearLog = menu_clearSendList = menu_exit = menu_about = nullptr;
    DeleteControl(groupb_1);
    DeleteControl(combo_baudrate);
    DeleteControl(label_1);
    DeleteControl(label_2);
    DeleteControl(combo_databits);
    DeleteControl(combo_stopbits);
    DeleteControl(label_3);
    DeleteControl(combo_parity);
    DeleteControl(label_4);
    DeleteControl(pictbttn_1);
    DeleteControl(groupb_2);
    DeleteControl(cb_send);
    DeleteControl(textb_log);
    DeleteControl(label_6);
    DeleteControl(label_7);
    DeleteControl(combo_comm);
    DeleteControl(checkbox_crlf);
    DeleteControl(combo_crlf);
    DeleteControl(toolb_1);
    DeleteControl(checkbox_echo);
    DeleteControl(periodicTimer);
    DeleteControl(checkbox_periodic);
    DeleteControl(label_5);
    DeleteControl(combo_periodic);
    DeleteControl(label_8);
    DeleteControl(groupb_3);
    DeleteControl(magicCombo_send);
    DeleteControl(sendButtonsDialog);
    DeleteControl(aboutDialog);
}
