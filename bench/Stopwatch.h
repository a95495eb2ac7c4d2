#pragma once
// Milliseconds from the performance counter, for the benchmarks.
#include <windows.h>

class Stopwatch {
public:
    // Milliseconds since an arbitrary fixed point, with sub-microsecond resolution.
    static double NowMs()
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(Frequency());
    }

    Stopwatch() : start_(NowMs()) {}
    void Restart() { start_ = NowMs(); }
    double ElapsedMs() const { return NowMs() - start_; }

private:
    static LONGLONG Frequency()
    {
        static const LONGLONG frequency = [] {
            LARGE_INTEGER f;
            QueryPerformanceFrequency(&f);
            return f.QuadPart;
        }();
        return frequency;
    }

    double start_;
};
