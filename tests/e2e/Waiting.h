#pragma once
// Bounded polling: the driver sees another process only from outside, so it
// looks again every few milliseconds until the condition holds or time is up.
#include <windows.h>

template <class Condition>
bool WaitUntil(Condition done, DWORD timeoutMs, DWORD pollMs = 10)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        Sleep(pollMs);
    }
}
