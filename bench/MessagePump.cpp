#include "MessagePump.h"

#include "Stopwatch.h"
#include "WApplication.h"

bool MessagePump::HandleOne()
{
    MSG message{};
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    Handled handled{message.message, message.hwnd, Stopwatch::NowMs(), 0.0};
    if (message.message != WM_QUIT) WApplication::HandleMessage(message);
    handled.endMs = Stopwatch::NowMs();
    if (observer_) observer_(handled);
    return true;
}

bool MessagePump::RunUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const Stopwatch clock;
    while (!done()) {
        if (clock.ElapsedMs() > timeoutMs) return false;
        if (HandleOne()) continue;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void MessagePump::RunFor(DWORD ms)
{
    const Stopwatch clock;
    while (clock.ElapsedMs() < ms) {
        if (HandleOne()) continue;
        const double left = ms - clock.ElapsedMs();
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
}
