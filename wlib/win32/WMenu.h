#pragma once
// A menu bar loaded from a menu resource, and its command items.
#include <windows.h>

#include <map>
#include <memory>

#include "WHandle.h"
#include "WObject.h"
#include "WString.h"

class WMenu;

// One command of a menu; raises ClickEvent when chosen.
class WMenuItem : public WObject {
public:
    WMenuItem(WMenu& menu, int id) : menu_(menu), id_(id) {}

    int GetId() const { return id_; }
    bool SetCaption(const WString& caption);
    WString GetCaption() const;
    bool SetChecked(bool checked);
    bool IsChecked() const;

private:
    WMenu& menu_;
    int id_;
};

class WMenu : public WObject {
public:
    WMenu() = default;
    ~WMenu() override;

    bool Load(HINSTANCE module, const char* resourceName);
    HMENU GetHandle() const { return menu_.Get(); }

    // The item object of a command, made on first use and owned by the menu.
    // nullptr when the menu has no such command.
    WMenuItem* GetItem(int id);
    // An item object made earlier, or nullptr.
    WMenuItem* FindItem(int id) const;

private:
    WMenuHandle menu_;
    std::map<int, std::unique_ptr<WMenuItem>> items_;
};
