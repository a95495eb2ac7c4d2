#pragma once
// One serial port: its name and line settings, the open handle, the reader
// thread that hands received blocks to a window, and the write path.
//
// Used from the UI thread. The reader thread reads at most kBlockSize bytes at
// a time into the object's buffer and posts the class library's UserEvent to
// the notify window; that window's handler takes the block with
// GetReceivedCount and CopyReceived, which lets the reader read the next one.
// One block is in flight at a time.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "WCountSemaphore.h"
#include "WHandle.h"
#include "WObject.h"

class WWindow;

class Rs232Class : public WObject {
public:
    static constexpr int kBlockSize = 80;
    // The reader thread's description (Windows 10 thread names).
    static constexpr const wchar_t* kReaderThreadName = L"Rs232Class reader";

    Rs232Class();
    // Closes the port if it is open. A class that overrides OnDataReceived
    // must call Close in its own destructor, so that the reader is gone
    // before the override is.
    ~Rs232Class() override;

    // Port number 1..8 gives "COM1".."COM8"; 1 accepted, 0 rejected (name kept).
    int SetPort(int number);
    // 1 for one of the accepted rates, else 0 (rate kept).
    int SetBaudrate(unsigned rate);
    // 7 or 8; anything else gives 8.
    void SetDatabits(int bits);
    // 2 gives two stop bits; anything else one.
    void SetStopbits(unsigned count);
    // 0 none, 1 even, 2 odd; anything else none.
    void SetParity(unsigned kind);
    // The window told about each received block; not owned. Its handle is
    // taken now (and again at Open), the reader only posts to that handle.
    void SetNotifyWindow(WWindow* window);

    const char* GetPortName() const { return portName; }
    unsigned GetBaudrate() const { return baudrate; }
    int GetDatabits() const { return databits; }
    // Codes of the Win32 line-settings record: NOPARITY, ODDPARITY, EVENPARITY.
    int GetParityCode() const { return parity; }
    // ONESTOPBIT or TWOSTOPBITS.
    int GetStopbitsCode() const { return stopbits; }

    // Opens the port with the current settings and starts the reader.
    // Nonzero on success; 0 when anything failed (the port is closed again).
    int Open();
    // Stops the reader, drops DTR and closes the port. A block already
    // posted to the window stays available to GetReceivedCount/CopyReceived.
    void Close();
    int IsConnected() const { return connected.load(); }

    // Writes all bytes, waiting up to the write time-out (1000 ms). 1 when
    // every byte was taken, 0 when fewer were or the write failed.
    int Write(const void* bytes, int length);

    // For the notify window's UserEvent handler, once per event, in this
    // order: the length of the pending block, then its bytes (the
    // destination holds at least kBlockSize bytes). CopyReceived gives the
    // buffer back to the reader; false when no block was pending.
    int GetReceivedCount() const { return receivedCount.load(); }
    bool CopyReceived(void* destination);

protected:
    // Called by the reader thread after each non-empty block; posts
    // UserEvent (value 0) to the notify window.
    virtual void OnDataReceived();

private:
    enum class PortWait { Received, NotReceived, Failed, Stopped, Abandoned };

    static DWORD WINAPI ReaderThread(LPVOID object);
    int RunReader();
    PortWait WaitForPortEvent(HANDLE ownEvent);
    PortWait EndPendingPortWait(HANDLE ownEvent);
    bool DeliverWaitingBytes();
    int ReadBlock();
    bool QueryInputQueue(DWORD& waiting);
    void BackOff(unsigned idleWakeups);
    bool FinishPendingIo(OVERLAPPED& completion, DWORD& transferred);
    void ClearPortErrors();
    bool ConfigurePort();
    void JoinReader();

    WFileHandle handle;
    char portName[15];
    std::atomic<std::int32_t> connected{0};
    std::uint8_t databits;
    std::uint8_t parity;
    std::uint8_t stopbits;
    std::uint32_t baudrate;
    WKernelHandle threadHandle;
    OVERLAPPED writeCompletion;
    OVERLAPPED readCompletion;
    std::uint8_t receiveBuffer[kBlockSize];
    std::atomic<std::int32_t> receivedCount{0};
    WCountSemaphore handOver;
    WWindow* notifyWindow = nullptr;

    // Owners of the two completion events.
    WKernelHandle writeEvent;
    WKernelHandle readEvent;
    // Set by Close: wakes the reader wherever it waits.
    WKernelHandle stopEvent;
    // Handle of notifyWindow, the only thing of it the reader touches.
    std::atomic<HWND> notifyHandle{nullptr};
    // The reader's wait for a port event. Kept in the object, not on the
    // reader's stack: a wait that could not be ended completes when Close
    // closes the port, and then writes here.
    OVERLAPPED portEventWait;
    DWORD portEventMask = 0;
};
