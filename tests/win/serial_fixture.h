#pragma once
// Shared by the serial port object's tests: a notify window that takes each
// block the way the main window's log does, a port object that records what
// its reader hands over, and counts of reader threads and handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "Rs232Class.h"
#include "WHandle.h"
#include "WWindow.h"

namespace serial_test {

constexpr DWORD kWaitLimitMs = 5000;

// Dispatches this thread's messages until `done` holds or the limit passes.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = kWaitLimitMs);
// Dispatches this thread's messages for a while (to show that nothing comes).
void PumpFor(DWORD milliseconds);

// Threads of this process named as the port object's reader (Open names it
// before it returns).
int CountReaderThreads();
// A handle to the one reader thread (for its CPU time), or null.
HANDLE OpenReaderThread();
// CPU time (kernel + user) of a thread, in milliseconds.
double ThreadCpuMs(HANDLE thread);
// Kernel object handles this process holds.
long CountProcessHandles();

std::string TestBytes(std::size_t count, unsigned seed = 0);

// A message-only window of the class library that, on each UserEvent from
// the port object, takes the block as the log does: count, then copy. Events
// wait in the thread's queue until a test pumps it.
class BlockWindow : public WObject {
public:
    explicit BlockWindow(Rs232Class& port);
    ~BlockWindow() override;

    WWindow& Window() { return window_; }
    const std::vector<std::string>& Blocks() const { return blocks_; }
    std::string Joined() const;
    int Events() const { return events_; }

private:
    bool OnUserEvent(WObject* source, WEventData* data);

    Rs232Class& port_;
    WWindow window_;
    std::vector<std::string> blocks_;
    int events_ = 0;
};

// The port object with a record of each block its reader hands over, taken
// in the reader thread at the moment of the hand-over.
class ObservedPort : public Rs232Class {
public:
    ObservedPort();
    ~ObservedPort() override;

    int HandedOver() const;
    std::vector<int> HandedOverCounts() const;
    // Waits until `count` blocks were handed over in all.
    bool WaitForHandOvers(int count, DWORD limitMs = kWaitLimitMs) const;

protected:
    void OnDataReceived() override;

private:
    mutable std::mutex mutex_;
    std::vector<int> counts_;
    WKernelHandle changed_;
};

// A vcomd port for the test and a port object opened on it with a window
// that takes its blocks.
class SerialPortTest : public ::testing::Test {
protected:
    static constexpr int kPortNumber = 2;

    void SetUp() override;
    void TearDown() override;
    // Opens the object on the test's port and checks that it is connected.
    void OpenPort();
    // Sends from the device and waits until the window holds that many bytes.
    void SendAndReceive(const std::string& bytes);

    DeviceClient device;
    ObservedPort port;
    BlockWindow window{port};
};

} // namespace serial_test
