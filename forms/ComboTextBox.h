#pragma once
// The edit field of an editable combo box, taken over as a text box of its own.
//
// It asks the dialog manager for the Enter key, so that Enter in the field
// reaches the field (and its KeyDownEvent) instead of pressing the form's
// default button, and it swallows the character Enter produces, so the field
// does not beep. Every other key works as in a plain edit field; the
// KeyDownEvent is raised for each key before the field handles it, and a
// handler that returns true keeps the key from the field.
#include "WTextBox.h"

class ComboTextBox : public WTextBox {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static bool IsEnterMessage(const MSG* message);
};
