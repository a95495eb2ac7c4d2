#pragma once
// A window of the class library: an HWND with its object. (Being extended by the lead.)
#include <windows.h>

#include "WObject.h"

class WWindow : public WObject {
public:
    WWindow() = default;
    ~WWindow() override = default;

    HWND GetHandle() const { return handle_; }

protected:
    HWND handle_ = nullptr;
};
