#include "WWindowMap.h"

#include <unordered_map>

namespace {
std::unordered_map<HWND, WWindow*>& Map()
{
    static std::unordered_map<HWND, WWindow*> map;
    return map;
}
WWindow* pendingCreation = nullptr;
} // namespace

void WWindowMap::Add(HWND handle, WWindow* window)
{
    if (handle) Map()[handle] = window;
}

void WWindowMap::Remove(HWND handle)
{
    Map().erase(handle);
}

WWindow* WWindowMap::Find(HWND handle)
{
    auto it = Map().find(handle);
    return it == Map().end() ? nullptr : it->second;
}

void WWindowMap::SetPendingCreation(WWindow* window)
{
    pendingCreation = window;
}

WWindow* WWindowMap::TakePendingCreation()
{
    WWindow* window = pendingCreation;
    pendingCreation = nullptr;
    return window;
}
