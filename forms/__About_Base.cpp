#include "__About_Base.h"

#include "DeleteControl.h"
#include "WApplication.h"
#include "resource_ids.h"


__About_Base::__About_Base()
{
    Connect(WEventId::Create, this, WHandler(&__About_Base::OnCreate));
    Connect(WEventId::Close, this, WHandler(&__About_Base::OnClose));
    Connect(WEventId::Destroy, this, WHandler(&__About_Base::OnDestroy));
}

__About_Base::~__About_Base()
{
    Disconnect(WEventId::Create, this, WHandler(&__About_Base::OnCreate));
    Disconnect(WEventId::Close, this, WHandler(&__About_Base::OnClose));
    Disconnect(WEventId::Destroy, this, WHandler(&__About_Base::OnDestroy));
}

bool __About_Base::Create(WWindow* parent)
{
    return Run(WApplication::GetModule(), "ID_About", parent ? parent->GetHandle() : nullptr) != -1;
}

bool __About_Base::OnCreate(WObject*, WEventData*)
{
    HINSTANCE module = WApplication::GetModule();
    cb_ok = new WCommandButton;
    pictb_1 = new WPictureBox;
    label_1 = new WLabel;

    SetIcon(module, IDI_DART);
    SetFont("8.MS Sans Serif");
    SetBackgroundColor(RGB(255, 255, 255));
    SetName("About");

    cb_ok->AttachDlgItem(*this, ID_ABOUT_CB_OK);
    pictb_1->AttachDlgItem(*this, ID_ABOUT_PICTB_1);
    label_1->AttachDlgItem(*this, ID_ABOUT_LABEL_1);

    cb_ok->SetDefault();
    cb_ok->SetPushed(false);
    cb_ok->SetName("cb_ok");
    WBitmap banner;
    banner.Load(module, IDB_BANNER);
    pictb_1->SetBitmap(std::move(banner));
    pictb_1->SetName("pictb_1");
    label_1->SetName("label_1");
    cb_ok->Connect(WEventId::Click, this, WHandler(&__About_Base::OnOk));

    SetTabOrder();
    SetFocus(cb_ok->GetHandle());
    Show();
    return false;
}

void __About_Base::SetTabOrder()
{
    cb_ok->PlaceAfter(nullptr);
    pictb_1->PlaceAfter(cb_ok);
    label_1->PlaceAfter(pictb_1);
}

bool __About_Base::OnOk(WObject*, WEventData*)
{
    RequestClose();
    return false;
}

bool __About_Base::OnClose(WObject*, WEventData*)
{
    End(0);
    return true;
}

bool __About_Base::OnDestroy(WObject*, WEventData*)
{
    if (cb_ok) cb_ok->Disconnect(WEventId::Click, this, WHandler(&__About_Base::OnOk));
    DeleteControl(cb_ok);
    DeleteControl(pictb_1);
    DeleteControl(label_1);
    return false;
}
