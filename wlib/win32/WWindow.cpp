#include "WWindow.h"

#include <commctrl.h>

#include <cstdlib>
#include <vector>

#include "WEventData.h"
#include "WWindowMap.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x57574C42; // "WWLB"
}

WWindow::~WWindow()
{
    Detach();
    UnbindHandle();
}

WWindow* WWindow::FromHandle(HWND handle)
{
    return WWindowMap::Find(handle);
}

bool WWindow::Attach(HWND handle)
{
    if (!handle || handle_) return false;
    if (!SetWindowSubclass(handle, &WWindow::SubclassProc, kSubclassId, 0)) return false;
    BindHandle(handle);
    subclassed_ = true;
    return true;
}

bool WWindow::AttachDlgItem(const WWindow& parent, int id)
{
    return Attach(GetDlgItem(parent.GetHandle(), id));
}

void WWindow::Detach()
{
    if (subclassed_ && handle_ && IsWindow(handle_)) {
        RemoveWindowSubclass(handle_, &WWindow::SubclassProc, kSubclassId);
    }
    subclassed_ = false;
    UnbindHandle();
}

void WWindow::BindHandle(HWND handle)
{
    handle_ = handle;
    WWindowMap::Add(handle, this);
}

void WWindow::UnbindHandle()
{
    if (handle_ && WWindowMap::Find(handle_) == this) WWindowMap::Remove(handle_);
    handle_ = nullptr;
}

int WWindow::GetId() const
{
    return handle_ ? GetDlgCtrlID(handle_) : 0;
}

WString WWindow::GetText() const
{
    if (!handle_) return WString();
    const LRESULT length = SendMessageA(handle_, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return WString();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const LRESULT copied = SendMessageA(handle_, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return WString(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

bool WWindow::SetText(const WString& text)
{
    return handle_ && SetWindowTextA(handle_, text.GetText());
}

void WWindow::Enable(bool enable)
{
    if (handle_) EnableWindow(handle_, enable ? TRUE : FALSE);
}

bool WWindow::IsEnabled() const
{
    return handle_ && IsWindowEnabled(handle_);
}

void WWindow::Show(bool show)
{
    if (handle_) ShowWindow(handle_, show ? SW_SHOW : SW_HIDE);
}

bool WWindow::IsVisible() const
{
    return handle_ && IsWindowVisible(handle_);
}

bool WWindow::Destroy()
{
    return handle_ && DestroyWindow(handle_);
}

bool WWindow::SetFont(const WString& fontText)
{
    // "points.face"; a text without a dot is taken as a face at 8 points.
    const std::string& text = fontText.str();
    const std::size_t dot = text.find('.');
    int points = 8;
    std::string face = text;
    if (dot != std::string::npos) {
        points = std::atoi(text.substr(0, dot).c_str());
        face = text.substr(dot + 1);
    }
    if (points <= 0 || points > 200 || face.empty() || face.size() >= LF_FACESIZE) return false;

    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);

    LOGFONTA logFont{};
    logFont.lfHeight = -MulDiv(points, pixelsPerInch, 72);
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
    WFontHandle font(CreateFontIndirectA(&logFont));
    if (!font) return false;
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    font_ = std::move(font); // the window no longer uses the old one
    return true;
}

HFONT WWindow::GetFont() const
{
    return handle_ ? reinterpret_cast<HFONT>(SendMessageA(handle_, WM_GETFONT, 0, 0)) : nullptr;
}

void WWindow::SizeToContent()
{
    if (!handle_) return;
    const WString text = GetText();
    HDC dc = GetDC(handle_);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, GetFont() ? static_cast<HGDIOBJ>(GetFont()) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.GetText(), static_cast<int>(text.GetLength()), &extent);
    SelectObject(dc, old);
    ReleaseDC(handle_, dc);
    SetWindowPos(handle_, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WWindow::PlaceAfter(const WWindow* previous)
{
    if (!handle_) return;
    HWND after = previous ? previous->GetHandle() : HWND_TOP;
    SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool WWindow::PostUserEvent(std::uintptr_t value) const
{
    return ::PostUserEvent(handle_, value);
}

void WWindow::OnParentCommand(UINT, int) {}

bool WWindow::OnParentNotify(NMHDR*, LRESULT&)
{
    return false;
}

HBRUSH WWindow::OnControlColor(HDC)
{
    return nullptr;
}

bool WWindow::OnMenuCommand(int)
{
    return false;
}

bool WWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return HandleCommonMessage(message, wParam, lParam, result);
}

bool WWindow::HandleCommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_WLIB_USEREVENT: {
        WUserEventData data;
        data.value = static_cast<std::uintptr_t>(wParam);
        RaiseEvent(WEventId::User, &data);
        result = 0;
        return true;
    }
    case WM_LBUTTONDOWN: {
        WMouseEventData data;
        data.x = static_cast<short>(LOWORD(lParam));
        data.y = static_cast<short>(HIWORD(lParam));
        data.keys = wParam;
        RaiseEvent(WEventId::LeftButtonDown, &data);
        return false; // the window still gets its click
    }
    case WM_KEYDOWN: {
        WKeyEventData data;
        data.virtualKey = static_cast<UINT>(wParam);
        data.flags = lParam;
        if (RaiseEvent(WEventId::KeyDown, &data)) {
            result = 0;
            return true;
        }
        return false;
    }
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control) {
            if (WWindow* child = FromHandle(control)) child->OnParentCommand(HIWORD(wParam), LOWORD(wParam));
            return false;
        }
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1) {
            if (OnMenuCommand(LOWORD(wParam))) {
                result = 0;
                return true;
            }
        }
        return false;
    }
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header) {
            if (WWindow* child = FromHandle(header->hwndFrom)) return child->OnParentNotify(header, result);
        }
        return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
        if (WWindow* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            if (HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wParam))) {
                result = reinterpret_cast<LRESULT>(brush);
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

LRESULT WWindow::CallDefault(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(handle_, message, wParam, lParam);
}

LRESULT CALLBACK WWindow::SubclassProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    WWindow* window = FromHandle(handle);
    if (message == WM_NCDESTROY) {
        // The window is going; the object stays, without a handle.
        RemoveWindowSubclass(handle, &WWindow::SubclassProc, kSubclassId);
        if (window) {
            window->subclassed_ = false;
            window->UnbindHandle();
        }
        return DefSubclassProc(handle, message, wParam, lParam);
    }
    if (window) {
        try {
            LRESULT result = 0;
            if (window->OnMessage(message, wParam, lParam, result)) return result;
        } catch (...) {
            // Nothing may unwind through the system's window procedure.
        }
    }
    return DefSubclassProc(handle, message, wParam, lParam);
}
