#pragma once
// A window of another process, driven with messages as a user's input would
// reach it. Messages that could open a modal box are posted; questions are
// sent with a time-out, so a hung program fails the test instead of hanging it.
#include <windows.h>

#include <string>

class ForeignWindow {
public:
    ForeignWindow() = default;
    explicit ForeignWindow(HWND handle) : handle_(handle) {}

    HWND Handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && IsWindow(handle_); }

    // A child control by its id (empty when there is none).
    ForeignWindow Item(int id) const;
    // The first child window of a class (e.g. the toolbar).
    ForeignWindow ChildOfClass(const char* className) const;

    // The window text, read with WM_GETTEXTLENGTH and WM_GETTEXT.
    std::string Text() const;
    std::size_t TextLength() const;
    bool SetText(const std::string& text) const;
    std::string ClassName() const;

    bool IsVisible() const { return IsWindowVisible(handle_) != FALSE; }
    bool IsEnabled() const { return IsWindowEnabled(handle_) != FALSE; }
    // The window's thread answers a message within timeoutMs.
    bool Answers(DWORD timeoutMs = 2000) const;

    // Combo box selection (CB_GETCURSEL / CB_SETCURSEL; the owner is not told).
    int Selection() const;
    bool Select(int index) const;
    int ItemCount() const;
    // The text of a combo box item, in the ANSI code page.
    std::string ItemText(int index) const;
    // The picture of a button (BM_GETIMAGE), to see whether it changed.
    HANDLE Picture() const;
    // Check box state (BM_GETCHECK / BM_SETCHECK).
    bool IsChecked() const;
    void SetChecked(bool checked) const;

    // A click as BM_CLICK (buttons that act on their click notification).
    void PostClick() const;
    // The left mouse button pressed and released in the middle of the window
    // (buttons that act on the button going down).
    void PostMousePress() const;
    // A menu command as the menu sends it.
    void PostCommand(int id) const;
    void PostClose() const;

    // A message sent with a time-out; false when it was not answered.
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD timeoutMs = 5000) const;

private:
    HWND handle_ = nullptr;
};
