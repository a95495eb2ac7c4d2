#include "WComboBox.h"

#include <vector>

int WComboBox::AddItem(const WString& text)
{
    const LRESULT index = SendMessageA(GetHandle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetText()));
    return index < 0 ? -1 : static_cast<int>(index);
}

int WComboBox::GetItemCount() const
{
    const LRESULT count = SendMessageA(GetHandle(), CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<int>(count);
}

WString WComboBox::GetItemText(int index) const
{
    // Read as UTF-16 and converted here: Wine's ANSI translation of
    // CB_GETLBTEXT copies through a fixed stack buffer of 512 characters,
    // which a longer item overruns.
    HWND handle = GetHandle();
    const LRESULT length = SendMessageW(handle, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) return WString();
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1);
    const LRESULT copied = SendMessageW(handle, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
    if (copied <= 0) return WString();
    const int wideLength = static_cast<int>(copied < length ? copied : length);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return WString();
    std::vector<char> text(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, text.data(), bytes, nullptr, nullptr);
    return WString(text.data(), text.size());
}

bool WComboBox::DeleteItem(int index)
{
    return SendMessageA(GetHandle(), CB_DELETESTRING, index, 0) != CB_ERR;
}

void WComboBox::DeleteAllItems()
{
    for (int i = GetItemCount() - 1; i >= 0; --i) DeleteItem(i);
}

bool WComboBox::SetSelectedIndex(int index)
{
    const LRESULT result = SendMessageA(GetHandle(), CB_SETCURSEL, index, 0);
    return index == -1 || result != CB_ERR;
}

int WComboBox::GetSelectedIndex() const
{
    const LRESULT index = SendMessageA(GetHandle(), CB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : static_cast<int>(index);
}

int WComboBox::FindPrefix(const WString& text, int start) const
{
    const LRESULT index = SendMessageA(GetHandle(), CB_FINDSTRING, start, reinterpret_cast<LPARAM>(text.GetText()));
    return index < 0 ? -1 : static_cast<int>(index);
}

int WComboBox::FindExact(const WString& text, int start) const
{
    const LRESULT index =
        SendMessageA(GetHandle(), CB_FINDSTRINGEXACT, start, reinterpret_cast<LPARAM>(text.GetText()));
    return index < 0 ? -1 : static_cast<int>(index);
}

void WComboBox::SetDroppedHeight(int pixels)
{
    RECT rect{};
    if (!GetWindowRect(GetHandle(), &rect)) return;
    SetWindowPos(GetHandle(), nullptr, 0, 0, rect.right - rect.left, pixels,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WComboBox::SetEditSelection(int start, int end)
{
    SendMessageA(GetHandle(), CB_SETEDITSEL, 0, MAKELPARAM(start, end));
}

void WComboBox::GetEditSelection(int& start, int& end) const
{
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    SendMessageA(GetHandle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&selectionStart),
                 reinterpret_cast<LPARAM>(&selectionEnd));
    start = static_cast<int>(selectionStart);
    end = static_cast<int>(selectionEnd);
}

void WComboBox::OnParentCommand(UINT notifyCode, int)
{
    if (notifyCode == CBN_EDITCHANGE) {
        WEventData data;
        RaiseEvent(WEventId::Change, &data);
    }
}
