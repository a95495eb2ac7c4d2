#include "__SendButtons_Base.h"

#include "DeleteControl.h"
#include "WApplication.h"
#include "resource_ids.h"

namespace {
constexpr int kTextCount = 5;
} // namespace

__SendButtons_Base::__SendButtons_Base()
{
    Connect(WEventId::Create, this, WHandler(&__SendButtons_Base::OnCreate));
    Connect(WEventId::Close, this, WHandler(&__SendButtons_Base::OnClose));
    Connect(WEventId::Destroy, this, WHandler(&__SendButtons_Base::OnDestroy));
}

__SendButtons_Base::~__SendButtons_Base()
{
    Disconnect(WEventId::Create, this, WHandler(&__SendButtons_Base::OnCreate));
    Disconnect(WEventId::Close, this, WHandler(&__SendButtons_Base::OnClose));
    Disconnect(WEventId::Destroy, this, WHandler(&__SendButtons_Base::OnDestroy));
}

bool __SendButtons_Base::Create(WWindow* parent, SendButtonsFDXStruct* record)
{
    fdx = record;
    const INT_PTR result = Run(WApplication::GetModule(), "ID_SendButtons", parent ? parent->GetHandle() : nullptr);
    fdx = nullptr;
    return result != -1;
}

WTextBox* __SendButtons_Base::TextBox(int index) const
{
    WTextBox* const boxes[kTextCount] = {textb_1, textb_2, textb_3, textb_4, textb_5};
    return boxes[index];
}

bool __SendButtons_Base::OnCreate(WObject*, WEventData*)
{
    HINSTANCE module = WApplication::GetModule();
    pictb_1 = new WPictureBox;
    textb_1 = new WTextBox;
    pictb_2 = new WPictureBox;
    textb_2 = new WTextBox;
    pictb_3 = new WPictureBox;
    textb_3 = new WTextBox;
    pictb_4 = new WPictureBox;
    textb_4 = new WTextBox;
    pictb_5 = new WPictureBox;
    textb_5 = new WTextBox;
    cb_1 = new WCommandButton;

    SetIcon(module, IDI_DART);
    SetFont("8.MS Sans Serif");
    SetName("SendButtons");

    WPictureBox* const pictures[kTextCount] = {pictb_1, pictb_2, pictb_3, pictb_4, pictb_5};
    WString* const texts[kTextCount] = {fdx ? &fdx->text1 : nullptr, fdx ? &fdx->text2 : nullptr,
                                        fdx ? &fdx->text3 : nullptr, fdx ? &fdx->text4 : nullptr,
                                        fdx ? &fdx->text5 : nullptr};
    for (int i = 0; i < kTextCount; ++i) {
        pictures[i]->AttachDlgItem(*this, ID_SB_PICTB_1 + 2 * i);
        TextBox(i)->AttachDlgItem(*this, ID_SB_TEXTB_1 + 2 * i);
    }
    cb_1->AttachDlgItem(*this, ID_SB_CB_1);

    for (int i = 0; i < kTextCount; ++i) {
        TextBox(i)->Bind(texts[i]);
        TextBox(i)->FillFromBinding();
    }
    for (int i = 0; i < kTextCount; ++i) {
        WIcon icon;
        icon.Load(module, IDI_BALL_MAGENTA + i);
        pictures[i]->SetIcon(std::move(icon));
        pictures[i]->SetName(WString::Format("pictb_%d", i + 1));
        TextBox(i)->SetName(WString::Format("textb_%d", i + 1));
    }
    cb_1->SetDefault();
    cb_1->SetPushed(false);
    cb_1->SetName("cb_1");
    cb_1->Connect(WEventId::Click, this, WHandler(&__SendButtons_Base::OnOk));

    SetTabOrder();
    // The template places the dialog beside the main window; keep it on screen.
    SendMessageA(GetHandle(), DM_REPOSITION, 0, 0);
    Show();
    return false;
}

void __SendButtons_Base::SetTabOrder()
{
    WWindow* const order[] = {pictb_1, textb_1, pictb_2, textb_2, pictb_3, textb_3,
                              pictb_4, textb_4, pictb_5, textb_5, cb_1};
    const WWindow* previous = nullptr;
    for (WWindow* window : order) {
        window->PlaceAfter(previous);
        previous = window;
    }
}

bool __SendButtons_Base::OnOk(WObject*, WEventData*)
{
    for (int i = 0; i < kTextCount; ++i) TextBox(i)->CopyToBinding();
    RequestClose();
    return false;
}

bool __SendButtons_Base::OnClose(WObject*, WEventData*)
{
    End(IDOK); // nothing is copied on this path
    return true;
}

bool __SendButtons_Base::OnDestroy(WObject*, WEventData*)
{
    if (cb_1) cb_1->Disconnect(WEventId::Click, this, WHandler(&__SendButtons_Base::OnOk));
    DeleteControl(pictb_1);
    DeleteControl(textb_1);
    DeleteControl(pictb_2);
    DeleteControl(textb_2);
    DeleteControl(pictb_3);
    DeleteControl(textb_3);
    DeleteControl(pictb_4);
    DeleteControl(textb_4);
    DeleteControl(pictb_5);
    DeleteControl(textb_5);
    DeleteControl(cb_1);
    fdx = nullptr;
    return false;
}
