#pragma once
// What forms (modeless) and dialogs (modal) made from dialog templates share:
// the dialog procedure, the Create/QueryClose/Close/Destroy events, the icon,
// the background colour and the menu bar.
#include <windows.h>

#include "WHandle.h"
#include "WWindow.h"

class WMenu;

class WDialogWindow : public WWindow {
public:
    ~WDialogWindow() override;

    // Window icon from an icon resource, large and small.
    bool SetIcon(HINSTANCE module, int resourceId);
    void SetBackgroundColor(COLORREF color);

    // Ask the window to close: the same request as its close box.
    bool RequestClose();

    // The menu bar; the window raises each item's ClickEvent on its command.
    bool AttachMenu(WMenu* menu);
    void DetachMenu();
    WMenu* GetMenu() const { return menu_; }

protected:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnMenuCommand(int id) override;
    // What closing does when no CloseEvent handler took it.
    virtual void DefaultClose() = 0;
    // Escape and the Cancel command.
    virtual void OnCancelCommand() = 0;

private:
    bool HandleClose();
    HBRUSH BackgroundBrush(HDC dc);

    WIconHandle largeIcon_;
    WIconHandle smallIcon_;
    WBrushHandle background_;
    COLORREF backgroundColor_ = 0;
    WMenu* menu_ = nullptr;
};
