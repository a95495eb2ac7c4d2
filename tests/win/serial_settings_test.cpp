// The port object's settings: the setters' accepted values and fallbacks,
// and the line settings, DTR and RTS as the device end sees them.
#include "serial_fixture.h"

namespace serial_test {
namespace {

TEST(Rs232SettingsTest, DefaultsAfterConstruction)
{
    Rs232Class port;
    EXPECT_STREQ(port.GetPortName(), "COM1");
    EXPECT_EQ(port.GetBaudrate(), 9600u);
    EXPECT_EQ(port.GetDatabits(), 8);
    EXPECT_EQ(port.GetParityCode(), NOPARITY);
    EXPECT_EQ(port.GetStopbitsCode(), ONESTOPBIT);
    EXPECT_EQ(port.IsConnected(), 0);
    EXPECT_EQ(port.GetReceivedCount(), 0);
}

TEST(Rs232SettingsTest, SetPortAcceptsOneToEightAndKeepsTheNameOtherwise)
{
    struct Case {
        int number;
        int result;
        const char* name;
    };
    const Case cases[] = {
        {1, 1, "COM1"}, {8, 1, "COM8"}, {0, 0, "COM3"}, {9, 0, "COM3"}, {-1, 0, "COM3"}, {100, 0, "COM3"},
    };
    for (const Case& c : cases) {
        Rs232Class port;
        ASSERT_EQ(port.SetPort(3), 1);
        EXPECT_EQ(port.SetPort(c.number), c.result) << "number " << c.number;
        EXPECT_STREQ(port.GetPortName(), c.name) << "number " << c.number;
    }
}

TEST(Rs232SettingsTest, SetBaudrateAcceptsExactlyTheListedRates)
{
    const unsigned accepted[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
    const unsigned rejected[] = {0, 1000, 9601, 28800, 56000, 128000, 230400};
    for (unsigned rate : accepted) {
        Rs232Class port;
        EXPECT_EQ(port.SetBaudrate(rate), 1) << rate;
        EXPECT_EQ(port.GetBaudrate(), rate);
    }
    for (unsigned rate : rejected) {
        Rs232Class port;
        ASSERT_EQ(port.SetBaudrate(19200), 1);
        EXPECT_EQ(port.SetBaudrate(rate), 0) << rate;
        EXPECT_EQ(port.GetBaudrate(), 19200u) << "kept after " << rate;
    }
}

TEST(Rs232SettingsTest, DatabitsStopbitsAndParityFallBackToTheirDefaults)
{
    struct Case {
        int value;
        int expected;
    };
    const Case databits[] = {{7, 7}, {8, 8}, {5, 8}, {6, 8}, {9, 8}, {0, 8}};
    const Case stopbits[] = {{2, TWOSTOPBITS}, {1, ONESTOPBIT}, {0, ONESTOPBIT}, {3, ONESTOPBIT}};
    // The caller's 1 means even and 2 odd; the record's codes are the other way round.
    const Case parity[] = {{0, NOPARITY}, {1, EVENPARITY}, {2, ODDPARITY}, {3, NOPARITY}, {255, NOPARITY}};
    for (const Case& c : databits) {
        Rs232Class port;
        port.SetDatabits(c.expected == 8 ? 7 : 8); // start from the other value
        port.SetDatabits(c.value);
        EXPECT_EQ(port.GetDatabits(), c.expected) << "data bits " << c.value;
    }
    for (const Case& c : stopbits) {
        Rs232Class port;
        port.SetStopbits(c.expected == TWOSTOPBITS ? 1 : 2);
        port.SetStopbits(static_cast<unsigned>(c.value));
        EXPECT_EQ(port.GetStopbitsCode(), c.expected) << "stop bits " << c.value;
    }
    for (const Case& c : parity) {
        Rs232Class port;
        port.SetParity(c.expected == ODDPARITY ? 1 : 2);
        port.SetParity(static_cast<unsigned>(c.value));
        EXPECT_EQ(port.GetParityCode(), c.expected) << "parity " << c.value;
    }
}

using Rs232LineTest = SerialPortTest;

TEST_F(Rs232LineTest, LineSettingsReachThePort)
{
    struct Case {
        unsigned baud;
        int databits;
        unsigned stopbits;
        unsigned parity;
        char parityLetter;
        int stopCount;
    };
    const Case cases[] = {
        {9600, 8, 1, 0, 'N', 1},
        {57600, 7, 2, 1, 'E', 2},
        {115200, 8, 1, 2, 'O', 1},
        {1200, 7, 1, 1, 'E', 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(port.SetBaudrate(c.baud), 1);
        port.SetDatabits(c.databits);
        port.SetStopbits(c.stopbits);
        port.SetParity(c.parity);
        OpenPort();
        const DeviceLineSettings seen = device.Termios(kPortNumber);
        EXPECT_EQ(seen.baud, c.baud);
        EXPECT_EQ(seen.dataBits, c.databits) << c.baud;
        EXPECT_EQ(seen.parity, c.parityLetter) << c.baud;
        EXPECT_EQ(seen.stopBits, c.stopCount) << c.baud;
        EXPECT_FALSE(seen.rtsCts) << c.baud;
        EXPECT_FALSE(seen.xonXoff) << c.baud;
        port.Close();
    }
}

TEST_F(Rs232LineTest, DtrAndRtsAreOnWhileOpenAndDtrDropsAtClose)
{
    OpenPort();
    DeviceModemLines lines = device.Modem(kPortNumber);
    EXPECT_TRUE(lines.dtr);
    EXPECT_TRUE(lines.rts);

    port.Close();
    lines = device.Modem(kPortNumber);
    EXPECT_FALSE(lines.dtr);
}

} // namespace
} // namespace serial_test
