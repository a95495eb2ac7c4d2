#include "WCommandButton.h"

#include "WEventData.h"

void WCommandButton::SetDefault()
{
    HWND handle = GetHandle();
    if (!handle) return;
    SendMessageA(GetParent(handle), DM_SETDEFID, static_cast<WPARAM>(GetId()), 0);
    SendMessageA(handle, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void WCommandButton::SetPushed(bool pushed)
{
    SendMessageA(GetHandle(), BM_SETSTATE, pushed ? TRUE : FALSE, 0);
}

void WCommandButton::OnParentCommand(UINT notifyCode, int id)
{
    if (notifyCode == BN_CLICKED) {
        WClickEventData data;
        data.id = id;
        RaiseEvent(WEventId::Click, &data);
    }
}
