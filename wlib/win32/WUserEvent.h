#pragma once
// The posted user event: the only way from a worker thread to a window.
// Posting puts a private message into the window's thread queue; when the UI
// thread dispatches it, the window raises its UserEvent with WUserEventData.
#include <windows.h>

#include <cstdint>

#include "WEvent.h"

constexpr UINT WM_WLIB_USEREVENT = WM_APP + 0x100;

struct WUserEventData : WEventData {
    std::uintptr_t value = 0;
};

// Safe from any thread. False when the message could not be posted (for
// instance the window no longer exists).
inline bool PostUserEvent(HWND window, std::uintptr_t value)
{
    return window != nullptr && PostMessageA(window, WM_WLIB_USEREVENT, static_cast<WPARAM>(value), 0) != FALSE;
}
