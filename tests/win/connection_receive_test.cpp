// Connecting with the picture button and showing received data in the log,
// through the real window and a virtual serial port.
#include "MainWindowDeviceFixture.h"

#include <string>
#include <vector>

#include "MessageBoxWatcher.h"
#include "Rs232Class.h"
#include "SettingsClass.h"
#include "resource_ids.h"

namespace {

constexpr int kPort = 3; // COM3

class ConnectionTest : public MainWindowDeviceTest<kPort> {
protected:
    // Chooses the line settings by list position, as the user does.
    static void Choose(int port, int baud, int data, int stop, int parity)
    {
        Form1* form = GetMainWindow();
        form->combo_comm->SetSelectedIndex(port);
        form->combo_baudrate->SetSelectedIndex(baud);
        form->combo_databits->SetSelectedIndex(data);
        form->combo_stopbits->SetSelectedIndex(stop);
        form->combo_parity->SetSelectedIndex(parity);
    }
    // A click on the connect button; a message box it shows is answered and
    // reported as a failure unless the test expects it.
    static std::vector<MessageBoxWatcher::Box> ClickConnect(bool expectMessage = false)
    {
        MessageBoxWatcher watcher;
        SendMessageA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0);
        const std::vector<MessageBoxWatcher::Box> boxes = watcher.Boxes();
        if (!expectMessage) {
            for (const MessageBoxWatcher::Box& box : boxes) ADD_FAILURE() << "message: " << box.text;
        }
        return boxes;
    }
    static bool PortChoicesEnabled(bool enabled)
    {
        for (int id : {ID_COMBO_COMM, ID_COMBO_BAUDRATE, ID_COMBO_DATABITS, ID_COMBO_STOPBITS, ID_COMBO_PARITY}) {
            if ((IsWindowEnabled(Item(id)) != FALSE) != enabled) return false;
        }
        return true;
    }
    static bool LogEndsWith(const std::string& tail)
    {
        const std::string log = TextOf(Item(ID_TEXTB_LOG));
        return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
    }

};

TEST_F(ConnectionTest, ConnectReceiveAndDisconnect)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(kPort - 1, 7, 1, 0, 0); // 115200 8N1
    const HICON apart = form->pictbttn_1->GetPicture();
    ClickConnect();
    ASSERT_TRUE(GetSerialPort()->IsConnected());
    EXPECT_TRUE(PortChoicesEnabled(false));
    EXPECT_NE(form->pictbttn_1->GetPicture(), apart);
    const DeviceLineSettings line = device.Termios(kPort);
    EXPECT_EQ(line.baud, 115200u);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_EQ(line.parity, 'N');
    EXPECT_EQ(line.stopBits, 1);
    EXPECT_TRUE(device.Modem(kPort).dtr);

    device.Write(kPort, "AB\r\nD\xE4");
    ASSERT_TRUE(PumpUntil([] { return LogEndsWith("\r\nAB\r\nD\xE4"); }));
    EXPECT_EQ(TextOf(Item(ID_TEXTB_LOG)), "RS-232 Kommunikation (ASCII-Mode)\r\n\r\nAB\r\nD\xE4");

    // 200 bytes waiting arrive whole and in order (blocks of at most 80).
    std::string burst;
    for (int i = 0; i < 200; ++i) burst += static_cast<char>('a' + i % 26);
    device.Write(kPort, burst);
    // The line holds 3 bytes, so it breaks after 77 more, then after 80.
    const std::string expected = burst.substr(0, 77) + "\r\n" + burst.substr(77, 80) + "\r\n" + burst.substr(157);
    ASSERT_TRUE(PumpUntil([&] { return LogEndsWith("D\xE4" + expected); }));
    EXPECT_EQ(form->GetDisplay().GetColumn(), 43);

    ClickConnect(); // disconnect
    EXPECT_FALSE(GetSerialPort()->IsConnected());
    EXPECT_TRUE(PortChoicesEnabled(true));
    EXPECT_FALSE(device.Modem(kPort).dtr);
}

TEST_F(ConnectionTest, MissingPortShowsTheMessageAndTheChoicesAreAlreadyStored)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(7, 2, 0, 1, 2); // COM8 has no device behind it
    const std::vector<MessageBoxWatcher::Box> boxes = ClickConnect(true);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Fehler");
    EXPECT_EQ(boxes[0].text, "RS-232 konnte nicht verbunden werden!");
    EXPECT_FALSE(GetSerialPort()->IsConnected());
    EXPECT_TRUE(PortChoicesEnabled(true));
    SettingsClass* settings = GetSettings();
    EXPECT_EQ(settings->GetCOM(), 7);
    EXPECT_EQ(settings->GetBaudrate(), 2);
    EXPECT_EQ(settings->GetDatabits(), 0);
    EXPECT_EQ(settings->GetStopbits(), 1);
    EXPECT_EQ(settings->GetParity(), 2);
}

TEST_F(ConnectionTest, NoSelectionStoresMinusOneAndKeepsThePortName)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(kPort - 1, 0, 1, 0, 0);
    ClickConnect(); // opens COM3 at 1200 bit/s
    ASSERT_TRUE(GetSerialPort()->IsConnected());
    ClickConnect();
    Choose(-1, -1, -1, -1, -1); // nothing chosen: COM3 stays, 9600 8N1
    ClickConnect();
    ASSERT_TRUE(GetSerialPort()->IsConnected());
    const DeviceLineSettings line = device.Termios(kPort);
    EXPECT_EQ(line.baud, 9600u);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_EQ(line.parity, 'N');
    EXPECT_EQ(line.stopBits, 1);
    EXPECT_EQ(GetSettings()->GetCOM(), -1);
    EXPECT_EQ(GetSettings()->GetBaudrate(), -1);
    ClickConnect();
}

struct LineCase {
    int baudIndex, dataIndex, stopIndex, parityIndex;
    unsigned baud;
    int dataBits;
    char parity;
    int stopBits;
};

class ReconnectWithSettings : public ConnectionTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(ReconnectWithSettings, PortReopensWithTheNewSettings)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(kPort - 1, 4, 1, 0, 0);
    ClickConnect();
    ClickConnect();
    const LineCase& c = GetParam();
    Choose(kPort - 1, c.baudIndex, c.dataIndex, c.stopIndex, c.parityIndex);
    ClickConnect();
    ASSERT_TRUE(GetSerialPort()->IsConnected());
    const DeviceLineSettings line = device.Termios(kPort);
    EXPECT_EQ(line.baud, c.baud);
    EXPECT_EQ(line.dataBits, c.dataBits);
    EXPECT_EQ(line.parity, c.parity);
    EXPECT_EQ(line.stopBits, c.stopBits);
    ClickConnect();
}

INSTANTIATE_TEST_SUITE_P(Lines, ReconnectWithSettings,
                         ::testing::Values(LineCase{7, 1, 1, 1, 115200, 8, 'E', 2},
                                           LineCase{6, 0, 0, 2, 57600, 7, 'O', 1},
                                           LineCase{0, 1, 0, 0, 1200, 8, 'N', 1}));

TEST_F(ConnectionTest, HexModeThroughTheWindow)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(kPort - 1, 4, 1, 0, 0);
    ClickConnect();
    Command(IDM_HEX_MODE);
    EXPECT_TRUE(GetMenuState(GetMenu(form->GetHandle()), IDM_HEX_MODE, MF_BYCOMMAND) & MF_CHECKED);
    device.Write(kPort, "Hello\r\n");
    ASSERT_TRUE(PumpUntil([] { return LogEndsWith("0D 0A "); }));
    EXPECT_EQ(TextOf(Item(ID_TEXTB_LOG)), "RS-232 Kommunikation (HEX-Mode)\r\n  \r\n48 65 6C 6C 6F 0D 0A ");
    Command(IDM_HEX_MODE);
    EXPECT_FALSE(GetMenuState(GetMenu(form->GetHandle()), IDM_HEX_MODE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(TextOf(Item(ID_TEXTB_LOG)), "RS-232 Kommunikation (ASCII-Mode)\r\n");
    device.Write(kPort, "x");
    ASSERT_TRUE(PumpUntil([] { return LogEndsWith("Hello..\r\nx"); }));
    ClickConnect();
}

TEST_F(ConnectionTest, FullLogShowsNothingMoreUntilItIsEmptied)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(kPort - 1, 4, 1, 0, 0);
    ClickConnect();
    form->textb_log->SetText(WString(std::string(65535, '.')));
    device.Write(kPort, "abc");
    ASSERT_TRUE(PumpUntil([&] { return form->GetDisplay().GetColumn() == 3; }));
    Pump(50);
    EXPECT_EQ(TextOf(Item(ID_TEXTB_LOG)), std::string(65535, '.'));

    Command(IDM_CLEAR_LOG);
    EXPECT_EQ(TextOf(Item(ID_TEXTB_LOG)), "");
    device.Write(kPort, "xyz");
    ASSERT_TRUE(PumpUntil([] { return TextOf(Item(ID_TEXTB_LOG)) == "xyz"; })); // the line goes on where it stood
    ClickConnect();
}

TEST_F(ConnectionTest, ClosingWhileConnectedClosesThePortAfterTheLoop)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    Choose(kPort - 1, 4, 1, 0, 0);
    ClickConnect();
    ASSERT_TRUE(GetSerialPort()->IsConnected());
    std::string stream(4000, 'z');
    device.Write(kPort, stream); // data still arriving while the window closes
    EXPECT_EQ(CloseAndEnd(), 0);
    EXPECT_EQ(GetMainWindow(), nullptr);
    EXPECT_FALSE(device.Modem(kPort).dtr);
    DWORD value = 0;
    EXPECT_TRUE(stored::GetDword("COM", value));
    EXPECT_EQ(value, static_cast<DWORD>(kPort - 1));
}

} // namespace
