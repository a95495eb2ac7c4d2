#pragma once
// The one place that maps an HWND to its object. Used by the UI thread only.
#include <windows.h>

class WWindow;

class WWindowMap {
public:
    static void Add(HWND handle, WWindow* window);
    static void Remove(HWND handle);
    static WWindow* Find(HWND handle);

    // A form or dialog being created: its procedure maps the new HWND to this
    // object on the very first message, before any message is handled.
    static void SetPendingCreation(WWindow* window);
    static WWindow* TakePendingCreation();
};
