#include "WCheckBox.h"

bool WCheckBox::IsChecked() const
{
    return SendMessageA(GetHandle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WCheckBox::SetChecked(bool checked)
{
    SendMessageA(GetHandle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void WCheckBox::SizeToContent()
{
    HWND handle = GetHandle();
    if (!handle) return;
    const WString text = GetText();
    HDC dc = GetDC(handle);
    if (!dc) return;
    HFONT font = GetFont();
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.GetText(), static_cast<int>(text.GetLength()), &extent);
    SelectObject(dc, old);
    ReleaseDC(handle, dc);
    const int box = GetSystemMetrics(SM_CXMENUCHECK);
    const int width = box + 6 + extent.cx;
    const int height = extent.cy > box ? extent.cy + 2 : box + 2;
    SetWindowPos(handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
