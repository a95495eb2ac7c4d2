#pragma once
// Counting semaphore of the class library: owns one Win32 semaphore.
//
// Used as a token passed between threads (take with Wait, give back with
// Release), so it is not a lock owned by one thread: any thread may release.
#include <windows.h>

class WCountSemaphore {
public:
    enum class WaitResult {
        Taken,    // the count was above 0 and one was taken
        Stopped,  // the stop event was signalled first; nothing taken
        TimedOut, // the time limit passed; nothing taken
        Failed,   // no semaphore, or the wait itself failed
    };

    // `name` may be null for a semaphore of this process only. When the
    // semaphore cannot be created the object stays usable but IsValid() is
    // false and every Wait/Release fails.
    WCountSemaphore(const char* name, long initialCount, long maximumCount);
    ~WCountSemaphore();
    WCountSemaphore(const WCountSemaphore&) = delete;
    WCountSemaphore& operator=(const WCountSemaphore&) = delete;

    bool IsValid() const { return handle_ != nullptr; }
    HANDLE GetHandle() const { return handle_; }

    // Take one, waiting as long as it takes. False when the wait failed.
    bool Wait();
    // Take one, waiting at most `timeoutMs` (INFINITE allowed).
    WaitResult Wait(DWORD timeoutMs);
    // Take one unless `stop` (an event or any waitable handle) is signalled
    // first or `timeoutMs` passes; when both are signalled the stop wins. A
    // null `stop` waits on the semaphore alone.
    WaitResult WaitOrStop(HANDLE stop, DWORD timeoutMs);
    // Give `count` back. False when that would exceed the maximum (nothing is
    // then released) or there is no semaphore.
    bool Release(long count = 1);

private:
    HANDLE handle_ = nullptr;
};
