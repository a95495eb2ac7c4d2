#include "WApplication.h"

#include <commctrl.h>

#include "WDialogWindow.h"
#include "WWindow.h"

WApplication* WApplication::instance_ = nullptr;
HINSTANCE WApplication::module_ = nullptr;
DWORD WApplication::uiThreadId_ = 0;

WApplication::WApplication()
{
    instance_ = this;
}

WApplication::~WApplication()
{
    if (instance_ == this) instance_ = nullptr;
}

int WApplication::Main(HINSTANCE module)
{
    module_ = module ? module : GetModuleHandleA(nullptr);
    uiThreadId_ = GetCurrentThreadId();

    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    eventData_.exitCode = 0;
    eventData_.abort = false;
    RaiseEvent(WEventId::Start, &eventData_);
    if (!eventData_.abort) RaiseEvent(WEventId::Run, &eventData_);
    RaiseEvent(WEventId::End, &eventData_);
    return eventData_.exitCode;
}

namespace {
// A form made from a dialog template gets the dialog keys (Tab, Enter, arrows).
bool IsFormMessage(MSG& message)
{
    if (!message.hwnd) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (!root || !dynamic_cast<WDialogWindow*>(WWindow::FromHandle(root))) return false;
    return IsDialogMessageA(root, &message) != FALSE;
}
} // namespace

int WApplication::RunMessageLoop()
{
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 0;
        HandleMessage(message);
    }
}

void WApplication::HandleMessage(MSG& message)
{
    if (IsFormMessage(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool WApplication::ProcessPendingMessages(int* exitCode)
{
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            if (exitCode) *exitCode = static_cast<int>(message.wParam);
            return false;
        }
        HandleMessage(message);
    }
    return true;
}

void WApplication::Quit(int exitCode)
{
    if (uiThreadId_ == 0 || GetCurrentThreadId() == uiThreadId_) {
        PostQuitMessage(exitCode);
    } else {
        PostThreadMessageA(uiThreadId_, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
    }
}
