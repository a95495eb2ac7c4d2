#pragma once
// Data records of the library's window events.
#include <windows.h>

#include "WEvent.h"
#include "WUserEvent.h"

// CreateEvent of a form or dialog: raised while the window is being created.
struct WCreateEventData : WEventData {
    HWND window = nullptr;
};

// QueryCloseEvent: a handler sets `cancel` to keep the window open.
struct WQueryCloseEventData : WEventData {
    bool cancel = false;
};

// ClickEvent of buttons, menu items and toolbars; `id` is the command id.
struct WClickEventData : WEventData {
    int id = 0;
};

// KeyDownEvent: the virtual-key code and the message's flags.
struct WKeyEventData : WEventData {
    UINT virtualKey = 0;
    LPARAM flags = 0;
};

// LeftButtonDownEvent: client coordinates and the key-state flags.
struct WMouseEventData : WEventData {
    int x = 0;
    int y = 0;
    WPARAM keys = 0;
};

struct WTimerEventData : WEventData {
    UINT_PTR timerId = 0;
};
