// Opening and closing the port object: a port in use elsewhere, reopening
// with new settings, many quick cycles, and a port that vanishes while open.
#include <cstdio>

#include "serial_fixture.h"

namespace serial_test {
namespace {

using Rs232LifecycleTest = SerialPortTest;

TEST_F(Rs232LifecycleTest, PortHeldByAnotherOpenerCannotBeOpened)
{
    const std::string name = "COM" + std::to_string(kPortNumber);
    WFileHandle other(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr));
    ASSERT_TRUE(other) << "error " << GetLastError();

    EXPECT_EQ(port.Open(), 0);
    EXPECT_EQ(port.IsConnected(), 0);
    EXPECT_EQ(CountReaderThreads(), 0);

    other.Reset();
    OpenPort();
    SendAndReceive("frei");
}

TEST_F(Rs232LifecycleTest, OpenAfterCloseUsesTheNewSettingsAndANewReader)
{
    OpenPort();
    SendAndReceive("first");
    port.Close();
    EXPECT_EQ(CountReaderThreads(), 0) << "Close returned before its reader ended";

    ASSERT_EQ(port.SetBaudrate(57600), 1);
    port.SetDatabits(7);
    port.SetParity(1);
    port.SetStopbits(2);
    OpenPort();
    EXPECT_EQ(CountReaderThreads(), 1);
    const DeviceLineSettings seen = device.Termios(kPortNumber);
    EXPECT_EQ(seen.baud, 57600u);
    EXPECT_EQ(seen.dataBits, 7);
    EXPECT_EQ(seen.parity, 'E');
    EXPECT_EQ(seen.stopBits, 2);
    SendAndReceive("second");
    EXPECT_EQ(window.Joined(), "firstsecond");
}

TEST_F(Rs232LifecycleTest, QuickCloseOpenCyclesLeaveOneReaderAndLeakNothing)
{
    constexpr int kCycles = 50;
    OpenPort();
    port.Close();
    const long handlesBefore = CountProcessHandles();
    ASSERT_GT(handlesBefore, 0);

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_NE(port.Open(), 0) << "cycle " << cycle;
        ASSERT_EQ(CountReaderThreads(), 1) << "cycle " << cycle;
        port.Close();
        ASSERT_EQ(CountReaderThreads(), 0) << "cycle " << cycle;
    }
    EXPECT_EQ(CountProcessHandles(), handlesBefore);

    // The last connection receives every byte once.
    OpenPort();
    SendAndReceive("once");
    PumpFor(100);
    EXPECT_EQ(window.Joined(), "once");
}

// The reader is either waiting for a port event when the port goes, or
// waiting for the window to take a block; then it reads again from the
// vanished port once the window has taken it.
TEST_F(Rs232LifecycleTest, VanishedPortLeavesNoSpinningReaderAndCanBeReconnected)
{
    constexpr DWORD kWatchMs = 1000;
    for (const bool windowHoldsABlock : {false, true}) {
        SCOPED_TRACE(windowHoldsABlock ? "reader waits for the window" : "reader waits for the port");
        device.Create(kPortNumber);
        OpenPort();
        SendAndReceive("before");
        if (windowHoldsABlock) {
            const int handedOver = port.HandedOver();
            ASSERT_EQ(device.Write(kPortNumber, "!"), 1u);
            ASSERT_TRUE(port.WaitForHandOvers(handedOver + 1));
        }

        device.Remove(kPortNumber);
        WKernelHandle reader(OpenReaderThread());
        ASSERT_TRUE(reader) << "the reader is gone before anything told it";
        const double cpuBefore = ThreadCpuMs(reader.Get());
        PumpFor(kWatchMs);
        const double cpuUsed = ThreadCpuMs(reader.Get()) - cpuBefore;
        EXPECT_LT(cpuUsed, kWatchMs / 4.0) << "the reader spins on the vanished port";
        std::printf("reader CPU on the vanished port: %.1f ms in %lu ms\n", cpuUsed, kWatchMs);
        EXPECT_EQ(port.Write("x", 1), 0);

        port.Close();
        EXPECT_EQ(port.IsConnected(), 0);
        EXPECT_EQ(CountReaderThreads(), 0);
    }

    device.Create(kPortNumber);
    OpenPort();
    SendAndReceive("after");
    EXPECT_EQ(window.Joined(), "beforebefore!after");
}

} // namespace
} // namespace serial_test
