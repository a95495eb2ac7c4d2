#include "ForeignWindow.h"

#include <algorithm>
#include <vector>

namespace {
constexpr DWORD kAnswerMs = 5000;
} // namespace

ForeignWindow ForeignWindow::Item(int id) const
{
    return ForeignWindow(handle_ ? GetDlgItem(handle_, id) : nullptr);
}

ForeignWindow ForeignWindow::ChildOfClass(const char* className) const
{
    return ForeignWindow(handle_ ? FindWindowExA(handle_, nullptr, className, nullptr) : nullptr);
}

bool ForeignWindow::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD timeoutMs) const
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(handle_, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &answer)) return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

std::size_t ForeignWindow::TextLength() const
{
    // GetWindowTextLengthA gives 0 for another process's window under Wine.
    LRESULT length = 0;
    return Send(WM_GETTEXTLENGTH, 0, 0, length, kAnswerMs) && length > 0 ? static_cast<std::size_t>(length) : 0;
}

std::string ForeignWindow::Text() const
{
    // Room for more than the length said: text may arrive between the two calls.
    std::vector<char> buffer(TextLength() + 4096, '\0');
    LRESULT copied = 0;
    if (!Send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied, kAnswerMs)) return {};
    if (copied < 0) copied = 0;
    if (static_cast<std::size_t>(copied) >= buffer.size()) copied = static_cast<LRESULT>(buffer.size() - 1);
    return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

bool ForeignWindow::SetText(const std::string& text) const
{
    LRESULT result = 0;
    return Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result, kAnswerMs) && result != FALSE;
}

std::string ForeignWindow::ClassName() const
{
    char name[64] = {};
    GetClassNameA(handle_, name, sizeof name);
    return name;
}

bool ForeignWindow::Answers(DWORD timeoutMs) const
{
    LRESULT result = 0;
    return Send(WM_NULL, 0, 0, result, timeoutMs);
}

int ForeignWindow::Selection() const
{
    LRESULT index = CB_ERR;
    return Send(CB_GETCURSEL, 0, 0, index, kAnswerMs) ? static_cast<int>(index) : -2;
}

bool ForeignWindow::Select(int index) const
{
    LRESULT result = CB_ERR;
    return Send(CB_SETCURSEL, static_cast<WPARAM>(index), 0, result, kAnswerMs) && result == index;
}

int ForeignWindow::ItemCount() const
{
    LRESULT count = CB_ERR;
    return Send(CB_GETCOUNT, 0, 0, count, kAnswerMs) ? static_cast<int>(count) : -2;
}

std::string ForeignWindow::ItemText(int index) const
{
    // Across processes Wine hands an ANSI caller the item as UTF-16: ask in
    // UTF-16 and convert here.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(handle_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, kAnswerMs,
                             &length)
        || static_cast<LRESULT>(length) < 0)
        return {};
    std::vector<wchar_t> wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(handle_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()),
                             SMTO_ABORTIFHUNG, kAnswerMs, &copied)
        || static_cast<LRESULT>(copied) < 0)
        return {};
    const int wideLength = static_cast<int>(std::min<DWORD_PTR>(copied, length));
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &text[0], bytes, nullptr, nullptr);
    return text;
}

HANDLE ForeignWindow::Picture() const
{
    LRESULT image = 0;
    return Send(BM_GETIMAGE, IMAGE_ICON, 0, image, kAnswerMs) ? reinterpret_cast<HANDLE>(image) : nullptr;
}

bool ForeignWindow::IsChecked() const
{
    LRESULT state = BST_UNCHECKED;
    return Send(BM_GETCHECK, 0, 0, state, kAnswerMs) && state == BST_CHECKED;
}

void ForeignWindow::SetChecked(bool checked) const
{
    LRESULT ignored = 0;
    Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0, ignored, kAnswerMs);
}

void ForeignWindow::PostClick() const
{
    PostMessageA(handle_, BM_CLICK, 0, 0);
}

void ForeignWindow::PostMousePress() const
{
    RECT rect{};
    GetClientRect(handle_, &rect);
    const LPARAM point = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    PostMessageA(handle_, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(handle_, WM_LBUTTONUP, 0, point);
}

void ForeignWindow::PostCommand(int id) const
{
    PostMessageA(handle_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void ForeignWindow::PostClose() const
{
    PostMessageA(handle_, WM_CLOSE, 0, 0);
}
