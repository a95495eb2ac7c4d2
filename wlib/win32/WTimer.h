#pragma once
// A timer of the UI thread; raises TimerEvent through the message loop.
#include <windows.h>

#include "WObject.h"

class WTimer : public WObject {
public:
    WTimer() = default;
    ~WTimer() override;

    // Start with a period in milliseconds, stopping a running period first.
    // 0 means as often as the system allows.
    bool Start(unsigned periodMs);
    void Stop();
    bool IsRunning() const { return id_ != 0; }
    unsigned GetPeriod() const { return period_; }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    UINT_PTR id_ = 0;
    unsigned period_ = 0;
};
