#pragma once
// An edit control: text entry, or a read-only log that text is appended to.
#include "WWindow.h"

class WTextBox : public WWindow {
public:
    // Insert at the end and scroll it into view. A text box that is full takes
    // only what still fits; nothing already shown is removed.
    void AppendText(const WString& text);
    void Clear();
    void SetTextLimit(unsigned limit);
    unsigned GetTextLimit() const;
    int GetTextLength() const;
    void SelectAll();
    void SetSelection(int start, int end);
    void SetTextColor(COLORREF color);
    // Space between the border and the text, in pixels.
    void SetMargins(int left, int right);

    // Data exchange with a text of the owner (dialogs): fill the box from the
    // bound text, and copy the box's text back into it.
    void Bind(WString* text) { boundText_ = text; }
    void FillFromBinding();
    void CopyToBinding();

    HBRUSH OnControlColor(HDC dc) override;

    // The library's predefined colours by number: 1 is red.
    static COLORREF PredefinedColor(int number);

private:
    WString* boundText_ = nullptr;
    bool hasTextColor_ = false;
    COLORREF textColor_ = 0;
};
