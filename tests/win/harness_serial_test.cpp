// The chain the serial link relies on, through Wine, on COM1 played by a
// vcomd pty pair: overlapped open, EV_RXCHAR through an overlapped
// WaitCommEvent, bytes both ways, DTR/RTS and line settings seen by the
// device, exclusive open, and a port that vanishes while open.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "DeviceClient.h"
#include "WHandle.h"

namespace {

constexpr int kPortNumber = 1;
constexpr const char* kPortName = "COM1";
constexpr DWORD kWaitLimitMs = 5000;

HANDLE OpenPort()
{
    return CreateFileA(kPortName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

class SerialChainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.Create(kPortNumber);
        port.Reset(OpenPort());
        ASSERT_TRUE(port) << "CreateFileA(COM1) failed, error " << GetLastError();
        completion.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(completion);
        ASSERT_TRUE(SetupComm(port.Get(), 4096, 4096));
        COMMTIMEOUTS timeouts {MAXDWORD, 0, 0, 0, 1000}; // reads return what is there
        ASSERT_TRUE(SetCommTimeouts(port.Get(), &timeouts));
        ASSERT_TRUE(PurgeComm(port.Get(), PURGE_RXCLEAR | PURGE_TXCLEAR));
    }

    void TearDown() override
    {
        port.Reset();
        device.Remove(kPortNumber);
    }

    OVERLAPPED FreshOverlapped()
    {
        ResetEvent(completion.Get());
        OVERLAPPED overlapped {};
        overlapped.hEvent = completion.Get();
        return overlapped;
    }

    // Starts an overlapped call; true with its transfer count once it is done within the limit.
    bool Finish(BOOL started, OVERLAPPED& overlapped, DWORD& transferred)
    {
        if (!started && GetLastError() != ERROR_IO_PENDING)
            return false;
        if (WaitForSingleObject(overlapped.hEvent, kWaitLimitMs) != WAIT_OBJECT_0)
            return false;
        return GetOverlappedResult(port.Get(), &overlapped, &transferred, FALSE) != FALSE;
    }

    std::string ReadQueued()
    {
        DWORD errors = 0;
        COMSTAT status {};
        if (!ClearCommError(port.Get(), &errors, &status) || status.cbInQue == 0)
            return {};
        std::string bytes(status.cbInQue, '\0');
        OVERLAPPED overlapped = FreshOverlapped();
        DWORD read = 0;
        BOOL started = ReadFile(port.Get(), bytes.data(), status.cbInQue, &read, &overlapped);
        if (!Finish(started, overlapped, read))
            return {};
        bytes.resize(read);
        return bytes;
    }

    bool WriteAll(const std::string& bytes)
    {
        OVERLAPPED overlapped = FreshOverlapped();
        DWORD written = 0;
        BOOL started = WriteFile(port.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, &overlapped);
        return Finish(started, overlapped, written) && written == bytes.size();
    }

    DeviceClient device;
    WFileHandle port;
    WKernelHandle completion;
};

TEST_F(SerialChainTest, RxCharEventThenReadBringsTheDeviceBytes)
{
    ASSERT_TRUE(SetCommMask(port.Get(), EV_RXCHAR));
    OVERLAPPED overlapped = FreshOverlapped();
    DWORD mask = 0;
    BOOL started = WaitCommEvent(port.Get(), &mask, &overlapped);
    ASSERT_FALSE(started) << "nothing was sent yet, so the wait must be pending";
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    // Still waiting while the line is quiet (a pty without modem lines ends it at once).
    EXPECT_EQ(WaitForSingleObject(completion.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));

    const std::string sent("Hallo\r\n\x00\xE4\xFF", 10);
    ASSERT_EQ(device.Write(kPortNumber, sent), sent.size());
    ASSERT_EQ(WaitForSingleObject(completion.Get(), kWaitLimitMs), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD unused = 0;
    ASSERT_TRUE(GetOverlappedResult(port.Get(), &overlapped, &unused, FALSE)) << GetLastError();
    EXPECT_TRUE(mask & EV_RXCHAR) << "mask " << mask;

    std::string received;
    for (int turn = 0; turn < 50 && received.size() < sent.size(); ++turn) {
        received += ReadQueued();
        if (received.size() < sent.size())
            Sleep(20);
    }
    EXPECT_EQ(received, sent);
}

TEST_F(SerialChainTest, ProgramBytesReachTheDevice)
{
    const std::string sent("Senden\r\n\x00\x80\xFC\xFF", 12);
    ASSERT_TRUE(WriteAll(sent)) << GetLastError();
    EXPECT_EQ(device.Read(kPortNumber, sent.size(), kWaitLimitMs), sent);
}

TEST_F(SerialChainTest, DeviceSeesDtrAndRtsAsTheProgramSetsThem)
{
    struct Step {
        DWORD function;
        bool dtr;
        bool rts;
    };
    const Step steps[] = {
        {SETDTR, true, false}, {SETRTS, true, true}, {CLRDTR, false, true}, {CLRRTS, false, false},
    };
    ASSERT_TRUE(EscapeCommFunction(port.Get(), CLRDTR));
    ASSERT_TRUE(EscapeCommFunction(port.Get(), CLRRTS));
    for (const Step& step : steps) {
        ASSERT_TRUE(EscapeCommFunction(port.Get(), step.function)) << "function " << step.function << ", error " << GetLastError();
        DeviceModemLines lines = device.Modem(kPortNumber);
        EXPECT_EQ(lines.dtr, step.dtr) << "after function " << step.function;
        EXPECT_EQ(lines.rts, step.rts) << "after function " << step.function;
    }
}

TEST_F(SerialChainTest, DeviceSeesTheLineSettingsOfSetCommState)
{
    struct Case {
        DWORD baud;
        BYTE dataBits;
        BYTE parity;
        BYTE stopBits;
        char parityLetter;
        int stopCount;
    };
    const Case cases[] = {
        {19200, 8, NOPARITY, ONESTOPBIT, 'N', 1},
        {9600, 7, EVENPARITY, TWOSTOPBITS, 'E', 2},
        {115200, 8, ODDPARITY, ONESTOPBIT, 'O', 1},
        {1200, 7, NOPARITY, TWOSTOPBITS, 'N', 2},
    };
    for (const Case& c : cases) {
        DCB dcb {};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(port.Get(), &dcb));
        dcb.BaudRate = c.baud;
        dcb.ByteSize = c.dataBits;
        dcb.Parity = c.parity;
        dcb.StopBits = c.stopBits;
        dcb.fBinary = TRUE;
        dcb.fParity = c.parity != NOPARITY;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fOutX = dcb.fInX = FALSE;
        ASSERT_TRUE(SetCommState(port.Get(), &dcb)) << "baud " << c.baud << ", error " << GetLastError();

        DeviceLineSettings seen = device.Termios(kPortNumber);
        EXPECT_EQ(seen.baud, c.baud);
        EXPECT_EQ(seen.dataBits, c.dataBits) << "baud " << c.baud;
        EXPECT_EQ(seen.parity, c.parityLetter) << "baud " << c.baud;
        EXPECT_EQ(seen.stopBits, c.stopCount) << "baud " << c.baud;
        EXPECT_FALSE(seen.rtsCts);
        EXPECT_FALSE(seen.xonXoff);

        DCB back {};
        back.DCBlength = sizeof back;
        ASSERT_TRUE(GetCommState(port.Get(), &back));
        EXPECT_EQ(back.BaudRate, c.baud);
        EXPECT_EQ(back.ByteSize, c.dataBits);
        EXPECT_EQ(back.Parity, c.parity);
        EXPECT_EQ(back.StopBits, c.stopBits);
    }
}

TEST_F(SerialChainTest, SecondOpenOfAnOpenPortIsRefused)
{
    WFileHandle second(OpenPort());
    EXPECT_FALSE(second);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    port.Reset();
    WFileHandle again(OpenPort());
    EXPECT_TRUE(again) << "the port is free again once closed, error " << GetLastError();
}

TEST_F(SerialChainTest, PausedDeviceHoldsBackTheProgramsWrites)
{
    device.Pause(kPortNumber);
    const std::string block(256 * 1024, 'x');
    EXPECT_FALSE(WriteAll(block)) << "a device that takes nothing cannot take 256 KiB";
    device.Resume(kPortNumber);
    EXPECT_FALSE(device.Read(kPortNumber, 1, kWaitLimitMs).empty()) << "the backed-up bytes arrive after RESUME";
}

TEST_F(SerialChainTest, RemovedPortFailsTheProgramsWrites)
{
    ASSERT_TRUE(WriteAll("before"));
    device.Remove(kPortNumber);
    EXPECT_FALSE(WriteAll("after")) << "writing to a vanished port must fail";
    DWORD errors = 0;
    COMSTAT status {};
    EXPECT_FALSE(ClearCommError(port.Get(), &errors, &status));
}

} // namespace
