#pragma once
// Received bytes counted as they arrive, and an event set with the time when
// an awaited count is reached. Shared by the receivers of the benchmarks.
#include <windows.h>

#include <atomic>
#include <cstddef>

#include "Stopwatch.h"
#include "WHandle.h"

class ArrivalCounter {
public:
    ArrivalCounter() : reached_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

    // Awaits `more` bytes on top of those counted so far.
    void Expect(std::size_t more)
    {
        ResetEvent(reached_.Get());
        target_.store(received_.load() + more);
    }
    // Called by the receiving thread for each piece it received.
    void Add(std::size_t count)
    {
        const std::size_t total = received_.fetch_add(count) + count;
        if (total >= target_.load()) {
            reachedAtMs_.store(Stopwatch::NowMs());
            SetEvent(reached_.Get());
        }
    }
    HANDLE Reached() const { return reached_.Get(); }
    double ReachedAtMs() const { return reachedAtMs_.load(); }
    std::size_t Received() const { return received_.load(); }

private:
    std::atomic<std::size_t> received_{0};
    std::atomic<std::size_t> target_{static_cast<std::size_t>(-1)};
    std::atomic<double> reachedAtMs_{0};
    WKernelHandle reached_;
};
