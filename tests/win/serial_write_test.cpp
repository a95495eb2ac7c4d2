// The write path: bytes reach the device, and a write that the device does
// not take within the write time-out ends then and reports the loss.
#include "serial_fixture.h"

namespace serial_test {
namespace {

using Rs232WriteTest = SerialPortTest;

TEST_F(Rs232WriteTest, WrittenBytesReachTheDevice)
{
    OpenPort();
    const std::string texts[] = {"Hallo\r\n", std::string("\x00\x80\xFC\xFF", 4), TestBytes(3000, 3)};
    for (const std::string& text : texts) {
        EXPECT_EQ(port.Write(text.data(), static_cast<int>(text.size())), 1);
        EXPECT_EQ(device.Read(kPortNumber, text.size(), kWaitLimitMs), text);
    }
}

TEST_F(Rs232WriteTest, WriteThatTheDeviceDoesNotTakeEndsAtTheTimeOutAndReportsZero)
{
    OpenPort();
    device.Pause(kPortNumber);
    const std::string block(256 * 1024, 'w');
    EXPECT_EQ(port.Write(block.data(), static_cast<int>(block.size())), 0);

    // The port still works once the device takes bytes again.
    device.Resume(kPortNumber);
    EXPECT_FALSE(device.Read(kPortNumber, 1, kWaitLimitMs).empty());
    PumpFor(300);
    device.Flush(kPortNumber);
    EXPECT_EQ(port.Write("ok", 2), 1);
    EXPECT_EQ(device.Read(kPortNumber, 2, kWaitLimitMs), "ok");
}

TEST_F(Rs232WriteTest, WriteWithoutAnOpenPortFails)
{
    EXPECT_EQ(port.Write("x", 1), 0);
    OpenPort();
    port.Close();
    EXPECT_EQ(port.Write("x", 1), 0);
}

} // namespace
} // namespace serial_test
