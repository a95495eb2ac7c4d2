#pragma once
// A window of the class library: an HWND and its object, the events it raises
// and the operations every control and form shares.
#include <windows.h>

#include <cstdint>

#include "WHandle.h"
#include "WObject.h"
#include "WString.h"

class WWindow : public WObject {
public:
    WWindow() = default;
    ~WWindow() override;

    HWND GetHandle() const { return handle_; }
    static WWindow* FromHandle(HWND handle);

    // Take over an existing window (a control made from a dialog resource):
    // map it to this object and subclass it so this object sees its messages.
    // Virtual: a control that takes over child windows of its own as well (the
    // edit field of a combo box) does so when it is attached.
    virtual bool Attach(HWND handle);
    bool AttachDlgItem(const WWindow& parent, int id);
    void Detach();

    int GetId() const;
    WString GetText() const;
    bool SetText(const WString& text);
    void Enable(bool enable);
    bool IsEnabled() const;
    void Show(bool show = true);
    bool IsVisible() const;
    bool Destroy();

    // The designer's name of the control ("combo_baudrate"); for tests and tools.
    void SetName(const WString& name) { name_ = name; }
    const WString& GetName() const { return name_; }

    // Font given as the library's font text "points.face", e.g. "8.MS Sans Serif".
    bool SetFont(const WString& fontText);
    HFONT GetFont() const;

    // Resize the window to fit its text in its font (labels, check boxes).
    virtual void SizeToContent();

    // Put this window right after `previous` in the window (tab) order;
    // nullptr puts it first.
    void PlaceAfter(const WWindow* previous);

    bool PostUserEvent(std::uintptr_t value) const;

    // Notifications the parent reflects to the control they come from.
    virtual void OnParentCommand(UINT notifyCode, int id);
    virtual bool OnParentNotify(NMHDR* header, LRESULT& result);
    // WM_CTLCOLOR*: a brush to paint with (and colours set on dc), or nullptr.
    virtual HBRUSH OnControlColor(HDC dc);

protected:
    // A message of this window; true when handled, with `result` set.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Events and routing that controls and forms share.
    bool HandleCommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_COMMAND with no control: a menu command or an accelerator.
    virtual bool OnMenuCommand(int id);
    // The window's original procedure (subclassed controls).
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

    // Forms and dialogs map their HWND themselves when it is born.
    void BindHandle(HWND handle);
    void UnbindHandle();

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND handle_ = nullptr;
    bool subclassed_ = false;
    WString name_;
    WFontHandle font_;
};
