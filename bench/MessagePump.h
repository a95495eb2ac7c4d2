#pragma once
// The program's message loop, one message at a time, with the time each
// message took to handle. Handles messages as WApplication's loop does
// (dialog navigation for forms, else translate and dispatch), so a benchmark
// that runs the main window in its own process sees the program's own road,
// and can stop the moment a condition holds after a message.
#include <windows.h>

#include <functional>

class MessagePump {
public:
    // What a handled message was, for the observer.
    struct Handled {
        UINT message;
        HWND window;
        double startMs; // Stopwatch time when its handling began
        double endMs;   // ... and ended
    };
    using Observer = std::function<void(const Handled&)>;

    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // Handles messages until `done` returns true (asked after every message
    // and at every wake-up) or the time-out passes. False on time-out.
    bool RunUntil(const std::function<bool()>& done, DWORD timeoutMs);
    // Handles messages for a while (paints, timers, the rest of a burst).
    void RunFor(DWORD ms);

private:
    bool HandleOne();

    Observer observer_;
};
