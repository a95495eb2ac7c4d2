#include "Rs232Class.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "WUserEvent.h"
#include "WWindow.h"

namespace {

constexpr unsigned kAcceptedRates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
constexpr DWORD kQueueSize = 4096;
constexpr DWORD kIoTimeoutMs = 1000;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
// Longer than any read or write can take with the time-outs above.
constexpr DWORD kIoCompletionLimitMs = 3 * kIoTimeoutMs;
// How long a woken reader may take to notice and end.
constexpr DWORD kReaderEndLimitMs = 5000;
// How long a port-event wait may take to end once the event mask is 0.
constexpr DWORD kPortWaitEndLimitMs = 2000;
// Pause after repeated wake-ups that brought nothing: doubles up to the cap.
constexpr DWORD kBackOffCapMs = 250;

HANDLE CreateManualResetEvent()
{
    return CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// Names the reader in debuggers and thread lists. The call exists from
// Windows 10 on; older systems simply leave the thread unnamed.
void NameThread(HANDLE thread, const wchar_t* name)
{
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC entry = kernel != nullptr ? GetProcAddress(kernel, "SetThreadDescription") : nullptr;
    if (entry != nullptr) {
        reinterpret_cast<SetDescription>(reinterpret_cast<void*>(entry))(thread, name);
    }
}

void PrepareCompletion(OVERLAPPED& completion)
{
    HANDLE event = completion.hEvent;
    completion = OVERLAPPED{};
    completion.hEvent = event;
    ResetEvent(event);
}

} // namespace

Rs232Class::Rs232Class()
    : handOver(nullptr, 1, 1)
{
    std::strcpy(portName, "COM1");
    databits = 8;
    parity = NOPARITY;
    stopbits = ONESTOPBIT;
    baudrate = 9600;
    writeCompletion = OVERLAPPED{};
    readCompletion = OVERLAPPED{};
    portEventWait = OVERLAPPED{};
    std::memset(receiveBuffer, 0, sizeof receiveBuffer);

    // Both completion events or neither: Open refuses to run without them.
    readEvent.Reset(CreateManualResetEvent());
    if (readEvent) {
        writeEvent.Reset(CreateManualResetEvent());
        if (!writeEvent) {
            readEvent.Reset();
        }
    }
    readCompletion.hEvent = readEvent.Get();
    writeCompletion.hEvent = writeEvent.Get();
    stopEvent.Reset(CreateManualResetEvent());
}

Rs232Class::~Rs232Class()
{
    if (connected.load() != 0 || handle || threadHandle) {
        Close();
    }
}

int Rs232Class::SetPort(int number)
{
    if (number < 1 || number > 8) {
        return 0;
    }
    std::snprintf(portName, sizeof portName, "COM%d", number);
    return 1;
}

int Rs232Class::SetBaudrate(unsigned rate)
{
    if (std::find(std::begin(kAcceptedRates), std::end(kAcceptedRates), rate) == std::end(kAcceptedRates)) {
        return 0;
    }
    baudrate = rate;
    return 1;
}

void Rs232Class::SetDatabits(int bits)
{
    databits = bits == 7 ? 7 : 8;
}

void Rs232Class::SetStopbits(unsigned count)
{
    stopbits = count == 2 ? TWOSTOPBITS : ONESTOPBIT;
}

void Rs232Class::SetParity(unsigned kind)
{
    switch (kind) {
    case 1:
        parity = EVENPARITY;
        break;
    case 2:
        parity = ODDPARITY;
        break;
    default:
        parity = NOPARITY;
        break;
    }
}

void Rs232Class::SetNotifyWindow(WWindow* window)
{
    notifyWindow = window;
    notifyHandle.store(window != nullptr ? window->GetHandle() : nullptr);
}

int Rs232Class::Open()
{
    if (!readEvent || !writeEvent || !stopEvent || handle || threadHandle) {
        return 0;
    }
    handle.Reset(CreateFileA(portName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    if (!handle) {
        return 0;
    }
    if (!ConfigurePort()) {
        connected.store(0);
        handle.Reset();
        return 0;
    }
    // The window may have got its handle after SetNotifyWindow.
    SetNotifyWindow(notifyWindow);
    ResetEvent(stopEvent.Get());
    connected.store(1);
    threadHandle.Reset(CreateThread(nullptr, 0, &Rs232Class::ReaderThread, this, 0, nullptr));
    if (!threadHandle) {
        connected.store(0);
        handle.Reset();
        return 0;
    }
    NameThread(threadHandle.Get(), kReaderThreadName);
    EscapeCommFunction(handle.Get(), SETDTR);
    return 1;
}

// Event mask, queues, purge, time-outs and the line-settings record; false
// when the port refuses the line settings.
bool Rs232Class::ConfigurePort()
{
    HANDLE port = handle.Get();
    SetCommMask(port, EV_RXCHAR);
    SetupComm(port, kQueueSize, kQueueSize);
    PurgeComm(port, kPurgeAll);

    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kIoTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kIoTimeoutMs;
    SetCommTimeouts(port, &timeouts);

    DCB settings{};
    settings.DCBlength = sizeof settings;
    GetCommState(port, &settings);
    settings.BaudRate = baudrate;
    settings.ByteSize = databits;
    settings.Parity = parity;
    settings.StopBits = stopbits;
    settings.fBinary = TRUE;
    settings.fParity = TRUE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.XonChar = 0x11;
    settings.XoffChar = 0x13;
    settings.XonLim = 100;
    settings.XoffLim = 100;
    return SetCommState(port, &settings) != FALSE;
}

void Rs232Class::Close()
{
    connected.store(0);
    SetEvent(stopEvent.Get());
    if (handle) {
        // Ends a wait for a port event at once.
        SetCommMask(handle.Get(), 0);
    }
    JoinReader();
    if (handle) {
        EscapeCommFunction(handle.Get(), CLRDTR);
        PurgeComm(handle.Get(), kPurgeAll);
        handle.Reset();
    }
}

void Rs232Class::JoinReader()
{
    if (!threadHandle) {
        return;
    }
    if (WaitForSingleObject(threadHandle.Get(), kReaderEndLimitMs) == WAIT_TIMEOUT) {
        // The reader is stuck inside a port call; closing the port ends those.
        if (handle) {
            EscapeCommFunction(handle.Get(), CLRDTR);
            handle.Reset();
        }
        if (WaitForSingleObject(threadHandle.Get(), kReaderEndLimitMs) == WAIT_TIMEOUT) {
            // Never seen. A reader left running on an object that is about to
            // go away would be worse than one stopped here.
            TerminateThread(threadHandle.Get(), 0);
        }
    }
    threadHandle.Reset();
}

int Rs232Class::Write(const void* bytes, int length)
{
    if (!handle || length < 0 || (bytes == nullptr && length > 0)) {
        return 0;
    }
    PrepareCompletion(writeCompletion);
    DWORD written = 0;
    if (WriteFile(handle.Get(), bytes, static_cast<DWORD>(length), &written, &writeCompletion)) {
        return written == static_cast<DWORD>(length) ? 1 : 0;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        ClearPortErrors();
        return 0;
    }
    if (!FinishPendingIo(writeCompletion, written)) {
        ClearPortErrors();
        return 0;
    }
    // The write time-out ends a write that the port did not take in time
    // with a short count: what was not taken is lost, so that is a failure.
    return written == static_cast<DWORD>(length) ? 1 : 0;
}

bool Rs232Class::CopyReceived(void* destination)
{
    const int count = receivedCount.load();
    if (destination != nullptr && count > 0) {
        std::memcpy(destination, receiveBuffer, static_cast<std::size_t>(count));
    }
    return handOver.Release(1);
}

void Rs232Class::OnDataReceived()
{
    HWND window = notifyHandle.load();
    if (window != nullptr) {
        PostUserEvent(window, 0);
    }
}

// Waits for a pending overlapped read or write (which the time-outs end
// within kIoTimeoutMs) and yields its byte count. False when it failed; a
// read or write that does not end in time is cancelled.
bool Rs232Class::FinishPendingIo(OVERLAPPED& completion, DWORD& transferred)
{
    transferred = 0;
    if (WaitForSingleObject(completion.hEvent, kIoCompletionLimitMs) != WAIT_OBJECT_0) {
        CancelIoEx(handle.Get(), &completion);
        WaitForSingleObject(completion.hEvent, kIoCompletionLimitMs);
    }
    return GetOverlappedResult(handle.Get(), &completion, &transferred, FALSE) != FALSE;
}

void Rs232Class::ClearPortErrors()
{
    DWORD errors = 0;
    ClearCommError(handle.Get(), &errors, nullptr);
}

// ---- reader thread ----

DWORD WINAPI Rs232Class::ReaderThread(LPVOID object)
{
    return static_cast<DWORD>(static_cast<Rs232Class*>(object)->RunReader());
}

int Rs232Class::RunReader()
{
    WKernelHandle ownEvent(CreateManualResetEvent());
    if (!ownEvent) {
        MessageBoxA(nullptr, "Failed to create event for thread!", "Rs232Class Error!", MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    if (!SetCommMask(handle.Get(), EV_RXCHAR)) {
        return 0;
    }
    unsigned idleWakeups = 0;
    while (connected.load() != 0) {
        const PortWait wait = WaitForPortEvent(ownEvent.Get());
        if (wait == PortWait::Stopped) {
            break;
        }
        if (wait == PortWait::Abandoned) {
            // The wait is still pending on the port and will signal this
            // event when Close closes the port: leave it open.
            ownEvent.Release();
            break;
        }
        if (wait == PortWait::Received) {
            idleWakeups = 0;
            if (!DeliverWaitingBytes()) {
                break;
            }
            continue;
        }
        // Woken without received characters while open. A port that no
        // longer answers (device gone) ends the reader: its handle will not
        // come back; Close and a new Open will.
        DWORD waiting = 0;
        if (!QueryInputQueue(waiting)) {
            break;
        }
        if (waiting > 0) {
            idleWakeups = 0;
            if (!DeliverWaitingBytes()) {
                break;
            }
            continue;
        }
        BackOff(++idleWakeups);
    }
    return 1;
}

Rs232Class::PortWait Rs232Class::WaitForPortEvent(HANDLE ownEvent)
{
    portEventWait = OVERLAPPED{};
    portEventWait.hEvent = ownEvent;
    portEventMask = 0;
    ResetEvent(ownEvent);
    if (WaitForSingleObject(stopEvent.Get(), 0) == WAIT_OBJECT_0) {
        return PortWait::Stopped;
    }
    if (!WaitCommEvent(handle.Get(), &portEventMask, &portEventWait)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            return PortWait::Failed;
        }
        const HANDLE wakers[2] = {stopEvent.Get(), ownEvent};
        if (WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0) {
            return EndPendingPortWait(ownEvent);
        }
        DWORD unused = 0;
        if (!GetOverlappedResult(handle.Get(), &portEventWait, &unused, FALSE)) {
            return PortWait::Failed;
        }
    }
    return (portEventMask & EV_RXCHAR) != 0 ? PortWait::Received : PortWait::NotReceived;
}

// Close has asked the reader to stop while its wait is pending. Clearing the
// event mask ends the wait (cancelling does not); the record must not be
// given up before the wait has ended.
Rs232Class::PortWait Rs232Class::EndPendingPortWait(HANDLE ownEvent)
{
    SetCommMask(handle.Get(), 0);
    if (WaitForSingleObject(ownEvent, kPortWaitEndLimitMs) != WAIT_OBJECT_0) {
        return PortWait::Abandoned;
    }
    DWORD unused = 0;
    GetOverlappedResult(handle.Get(), &portEventWait, &unused, FALSE);
    return PortWait::Stopped;
}

// Hands the input queue to the window block by block until a read finds it
// empty. False when the reader was told to stop while waiting for the window.
bool Rs232Class::DeliverWaitingBytes()
{
    int count = 0;
    do {
        // Close wakes this wait. A block already posted stays in the buffer
        // for the window; the token it holds comes back with CopyReceived.
        if (handOver.WaitOrStop(stopEvent.Get(), INFINITE) != WCountSemaphore::WaitResult::Taken) {
            return false;
        }
        count = ReadBlock();
        receivedCount.store(count);
        if (count > 0) {
            OnDataReceived();
        } else {
            handOver.Release(1);
        }
    } while (count > 0);
    return true;
}

// Reads what the input queue holds, at most kBlockSize bytes, into
// receiveBuffer; the count read (0 when nothing was there or the read failed).
int Rs232Class::ReadBlock()
{
    DWORD waiting = 0;
    QueryInputQueue(waiting);
    const DWORD wanted = std::min<DWORD>(waiting, kBlockSize);
    if (wanted == 0) {
        return 0;
    }
    PrepareCompletion(readCompletion);
    DWORD got = 0;
    if (ReadFile(handle.Get(), receiveBuffer, wanted, &got, &readCompletion)) {
        return static_cast<int>(got);
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        ClearPortErrors();
        return 0;
    }
    if (!FinishPendingIo(readCompletion, got)) {
        ClearPortErrors();
    }
    return static_cast<int>(std::min<DWORD>(got, kBlockSize));
}

// Clears the port's error state and yields the number of bytes waiting.
// False when the port no longer answers.
bool Rs232Class::QueryInputQueue(DWORD& waiting)
{
    DWORD errors = 0;
    COMSTAT status{};
    waiting = 0;
    if (!ClearCommError(handle.Get(), &errors, &status)) {
        return false;
    }
    waiting = status.cbInQue;
    return true;
}

// Some drivers end port waits at once without an event; do not spin on them.
// The pause ends early when Close sets the stop event.
void Rs232Class::BackOff(unsigned idleWakeups)
{
    if (idleWakeups < 2) {
        return;
    }
    const unsigned shift = std::min(idleWakeups - 2, 8u);
    const DWORD pauseMs = std::min<DWORD>(DWORD{1} << shift, kBackOffCapMs);
    WaitForSingleObject(stopEvent.Get(), pauseMs);
}
