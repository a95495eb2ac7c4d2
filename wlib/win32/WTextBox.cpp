#include "WTextBox.h"

void WTextBox::AppendText(const WString& text)
{
    HWND handle = GetHandle();
    if (!handle || text.IsEmpty()) return;
    // The end, asked through the wide message: for the ANSI one Wine copies
    // and converts the whole text at every call, so a log that is appended
    // to block by block would cost more the fuller it is. Our texts are in a
    // single-byte code page: characters and positions agree.
    const LRESULT end = SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(handle, EM_SETSEL, end, end);
    SendMessageA(handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.GetText()));
    SendMessageA(handle, EM_SCROLLCARET, 0, 0);
}

void WTextBox::Clear()
{
    SetText(WString());
}

void WTextBox::SetTextLimit(unsigned limit)
{
    SendMessageA(GetHandle(), EM_SETLIMITTEXT, limit, 0);
}

unsigned WTextBox::GetTextLimit() const
{
    return static_cast<unsigned>(SendMessageA(GetHandle(), EM_GETLIMITTEXT, 0, 0));
}

int WTextBox::GetTextLength() const
{
    const LRESULT length = SendMessageA(GetHandle(), WM_GETTEXTLENGTH, 0, 0);
    return length < 0 ? 0 : static_cast<int>(length);
}

void WTextBox::SelectAll()
{
    SetSelection(0, -1);
}

void WTextBox::SetSelection(int start, int end)
{
    SendMessageA(GetHandle(), EM_SETSEL, start, end);
}

void WTextBox::SetTextColor(COLORREF color)
{
    textColor_ = color;
    hasTextColor_ = true;
    if (GetHandle()) InvalidateRect(GetHandle(), nullptr, TRUE);
}

void WTextBox::SetMargins(int left, int right)
{
    SendMessageA(GetHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(left, right));
}

void WTextBox::FillFromBinding()
{
    if (boundText_) SetText(*boundText_);
}

void WTextBox::CopyToBinding()
{
    if (boundText_) *boundText_ = GetText();
}

HBRUSH WTextBox::OnControlColor(HDC dc)
{
    if (!hasTextColor_) return nullptr;
    ::SetTextColor(dc, textColor_);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
}

COLORREF WTextBox::PredefinedColor(int number)
{
    switch (number) {
    case 1: return RGB(255, 0, 0);
    case 2: return RGB(0, 128, 0);
    case 3: return RGB(0, 0, 255);
    default: return RGB(0, 0, 0);
    }
}
