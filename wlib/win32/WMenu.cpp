#include "WMenu.h"

#include <vector>

bool WMenuItem::SetCaption(const WString& caption)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(caption.GetText());
    return SetMenuItemInfoA(menu_.GetHandle(), static_cast<UINT>(id_), FALSE, &info) != FALSE;
}

WString WMenuItem::GetCaption() const
{
    const int length = GetMenuStringA(menu_.GetHandle(), static_cast<UINT>(id_), nullptr, 0, MF_BYCOMMAND);
    if (length <= 0) return WString();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = GetMenuStringA(menu_.GetHandle(), static_cast<UINT>(id_), buffer.data(),
                                      static_cast<int>(buffer.size()), MF_BYCOMMAND);
    return WString(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

bool WMenuItem::SetChecked(bool checked)
{
    return CheckMenuItem(menu_.GetHandle(), static_cast<UINT>(id_),
                         MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) != static_cast<DWORD>(-1);
}

bool WMenuItem::IsChecked() const
{
    const UINT state = GetMenuState(menu_.GetHandle(), static_cast<UINT>(id_), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

WMenu::~WMenu()
{
    items_.clear();
}

bool WMenu::Load(HINSTANCE module, const char* resourceName)
{
    WMenuHandle menu(LoadMenuA(module, resourceName));
    if (!menu) return false;
    items_.clear();
    menu_ = std::move(menu);
    return true;
}

WMenuItem* WMenu::GetItem(int id)
{
    if (WMenuItem* item = FindItem(id)) return item;
    if (!menu_ || GetMenuState(menu_.Get(), static_cast<UINT>(id), MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        return nullptr;
    }
    auto item = std::make_unique<WMenuItem>(*this, id);
    WMenuItem* raw = item.get();
    items_[id] = std::move(item);
    return raw;
}

WMenuItem* WMenu::FindItem(int id) const
{
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second.get();
}
