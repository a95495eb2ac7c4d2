#pragma once
// The baseline of the receive benchmarks: a bare Win32 reader of a serial
// port. One thread waits for EV_RXCHAR with an overlapped WaitCommEvent, asks
// ClearCommError what is queued and reads it with overlapped ReadFile (at most
// `readLimit` bytes a read), and counts what arrived. No window, no hand-over,
// no formatting: what Wine and the pty cost by themselves.
//
// Shared by the benchmarks in this folder.
#include <windows.h>

#include <thread>

#include "ArrivalCounter.h"
#include "WHandle.h"

class BareReader {
public:
    explicit BareReader(DWORD readLimit = 4096) : readLimit_(readLimit) {}
    ~BareReader() { Stop(); }
    BareReader(const BareReader&) = delete;
    BareReader& operator=(const BareReader&) = delete;

    // Opens "COMn" for overlapped I/O with the program's queue sizes and
    // time-outs and starts reading. False when the port cannot be opened.
    bool Start(int port);
    // Ends the reader (clearing the event mask wakes its wait) and closes the port.
    void Stop();
    ArrivalCounter& Arrivals() { return arrivals_; }

private:
    void Run();
    void ReadQueued(HANDLE readEvent);

    DWORD readLimit_;
    WFileHandle port_;
    WKernelHandle stop_;
    std::thread thread_;
    ArrivalCounter arrivals_;
    char buffer_[4096];
};
