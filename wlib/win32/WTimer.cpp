#include "WTimer.h"

#include <unordered_map>

#include "WEventData.h"

namespace {
// Thread timers carry no pointer of their own: map their ids to the objects.
std::unordered_map<UINT_PTR, WTimer*>& RunningTimers()
{
    static std::unordered_map<UINT_PTR, WTimer*> timers;
    return timers;
}
} // namespace

WTimer::~WTimer()
{
    Stop();
}

bool WTimer::Start(unsigned periodMs)
{
    Stop();
    const UINT period = periodMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : periodMs;
    const UINT_PTR id = SetTimer(nullptr, 0, period, &WTimer::TimerProc);
    if (id == 0) return false;
    id_ = id;
    period_ = periodMs;
    RunningTimers()[id_] = this;
    return true;
}

void WTimer::Stop()
{
    if (id_ == 0) return;
    KillTimer(nullptr, id_);
    RunningTimers().erase(id_);
    id_ = 0;
}

void CALLBACK WTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = RunningTimers().find(id);
    if (it == RunningTimers().end()) return;
    try {
        WTimerEventData data;
        data.timerId = id;
        it->second->RaiseEvent(WEventId::Timer, &data);
    } catch (...) {
        // Nothing may unwind through the system's message dispatch.
    }
}
