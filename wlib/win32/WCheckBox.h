#pragma once
// A check box.
#include "WWindow.h"

class WCheckBox : public WWindow {
public:
    bool IsChecked() const;
    void SetChecked(bool checked);
    void SizeToContent() override; // the box and its text
};
