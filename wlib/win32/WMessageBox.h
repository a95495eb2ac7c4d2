#pragma once
// The library's message box.
#include <windows.h>

#include "WString.h"

class WWindow;

class WMessageBox {
public:
    // Owner may be nullptr (no owner window). Returns the button chosen (IDOK, ...).
    static int Show(const WWindow* owner, UINT style, const WString& caption, const WString& text);
};
