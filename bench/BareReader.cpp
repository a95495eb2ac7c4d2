#include "BareReader.h"

#include <algorithm>
#include <string>

namespace {
constexpr DWORD kQueueSize = 4096;
constexpr DWORD kReadLimitMs = 3000;
constexpr DWORD kWaitEndLimitMs = 2000;
} // namespace

bool BareReader::Start(int port)
{
    Stop();
    const std::string name = "COM" + std::to_string(port);
    port_.Reset(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
    if (!port_) return false;
    SetupComm(port_.Get(), kQueueSize, kQueueSize);
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 1000, 0, 1000};
    SetCommTimeouts(port_.Get(), &timeouts);
    SetCommMask(port_.Get(), EV_RXCHAR);
    PurgeComm(port_.Get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
    stop_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) {
        port_.Reset();
        return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void BareReader::Stop()
{
    if (thread_.joinable()) {
        SetEvent(stop_.Get());
        SetCommMask(port_.Get(), 0);
        thread_.join();
    }
    port_.Reset();
}

void BareReader::Run()
{
    WKernelHandle waitEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    WKernelHandle readEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!waitEvent || !readEvent) return;
    while (WaitForSingleObject(stop_.Get(), 0) != WAIT_OBJECT_0) {
        OVERLAPPED wait{};
        wait.hEvent = waitEvent.Get();
        DWORD mask = 0;
        DWORD unused = 0;
        if (!WaitCommEvent(port_.Get(), &mask, &wait)) {
            if (GetLastError() != ERROR_IO_PENDING) return;
            const HANDLE wakers[2] = {waitEvent.Get(), stop_.Get()};
            if (WaitForMultipleObjects(2, wakers, FALSE, INFINITE) != WAIT_OBJECT_0) {
                // Stopping: clearing the mask ends the pending wait, which
                // must end before its record goes away.
                SetCommMask(port_.Get(), 0);
                WaitForSingleObject(waitEvent.Get(), kWaitEndLimitMs);
                return;
            }
            if (!GetOverlappedResult(port_.Get(), &wait, &unused, FALSE)) continue;
        }
        ReadQueued(readEvent.Get());
    }
}

// Reads until the input queue is empty.
void BareReader::ReadQueued(HANDLE readEvent)
{
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port_.Get(), &errors, &status) || status.cbInQue == 0) return;
        OVERLAPPED read{};
        read.hEvent = readEvent;
        DWORD got = 0;
        const DWORD wanted = std::min<DWORD>({status.cbInQue, readLimit_, static_cast<DWORD>(sizeof buffer_)});
        if (!ReadFile(port_.Get(), buffer_, wanted, &got, &read)) {
            if (GetLastError() != ERROR_IO_PENDING || WaitForSingleObject(readEvent, kReadLimitMs) != WAIT_OBJECT_0
                || !GetOverlappedResult(port_.Get(), &read, &got, FALSE)) {
                return;
            }
        }
        arrivals_.Add(got);
    }
}
