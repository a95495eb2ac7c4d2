#include "WCountSemaphore.h"

WCountSemaphore::WCountSemaphore(const char* name, long initialCount, long maximumCount)
    : handle_(CreateSemaphoreA(nullptr, initialCount, maximumCount, name))
{
}

WCountSemaphore::~WCountSemaphore()
{
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

bool WCountSemaphore::Wait()
{
    return Wait(INFINITE) == WaitResult::Taken;
}

WCountSemaphore::WaitResult WCountSemaphore::Wait(DWORD timeoutMs)
{
    return WaitOrStop(nullptr, timeoutMs);
}

WCountSemaphore::WaitResult WCountSemaphore::WaitOrStop(HANDLE stop, DWORD timeoutMs)
{
    if (handle_ == nullptr) {
        return WaitResult::Failed;
    }
    // The stop event comes first so that it wins when both are signalled:
    // a caller told to stop then holds nothing it must give back.
    if (stop == nullptr) {
        switch (WaitForSingleObject(handle_, timeoutMs)) {
        case WAIT_OBJECT_0:
            return WaitResult::Taken;
        case WAIT_TIMEOUT:
            return WaitResult::TimedOut;
        default:
            return WaitResult::Failed;
        }
    }
    const HANDLE handles[2] = {stop, handle_};
    switch (WaitForMultipleObjects(2, handles, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0:
        return WaitResult::Stopped;
    case WAIT_OBJECT_0 + 1:
        return WaitResult::Taken;
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    default:
        return WaitResult::Failed;
    }
}

bool WCountSemaphore::Release(long count)
{
    return handle_ != nullptr && ReleaseSemaphore(handle_, count, nullptr) != FALSE;
}
