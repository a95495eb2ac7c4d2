// End-to-end scenarios: the real program in a process of its own, driven from
// outside through its windows, with a virtual device on COM2 and the registry
// of the test prefix.
#include "E2eTest.h"

#include <cstdio>
#include <string>
#include <vector>

#include "DeviceStreamer.h"
#include "ReceiveFormatter.h"
#include "Waiting.h"
#include "resource_ids.h"

namespace {

// The log text the program's display rules give for these bytes.
std::string Formatted(ReceiveFormatter& rules, const std::string& bytes)
{
    return rules.Format(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int32_t>(bytes.size())).str();
}

const char* const kSettingInts[] = {"COM", "Baudrate", "Stopbits", "Parity", "Databits", "CRLF", "Periodic"};
const char* const kSettingTexts[] = {"RSSend0", "RSSend1", "RSSend2", "RSSend3", "RSSend4", "COMActive", "Echo"};

// All fourteen settings values exist with their types.
void ExpectCompleteSettings()
{
    for (const char* name : kSettingInts) EXPECT_TRUE(ProgramRegistry::Setting(name).IsDword()) << name;
    for (const char* name : kSettingTexts) EXPECT_TRUE(ProgramRegistry::Setting(name).IsTerminatedText()) << name;
}

// The history key holds exactly these entries, in this order.
void ExpectHistory(const std::vector<std::string>& entries)
{
    std::vector<std::string> expectedNames;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "history_entry_%.5u", static_cast<unsigned>(i));
        expectedNames.push_back(name);
        const ProgramRegistry::Value value = ProgramRegistry::History(name);
        EXPECT_TRUE(value.IsTerminatedText()) << name;
        EXPECT_EQ(value.Text(), entries[i]) << name;
    }
    EXPECT_EQ(ProgramRegistry::ValueNames(HKEY_CURRENT_USER, ProgramRegistry::kHistoryKey), expectedNames);
}

class Scenario : public E2eTest {};

TEST_F(Scenario, FirstStartConnectReceiveSendCloseAndRestartRestoresEverything)
{
    // First start on an empty registry: the defaults.
    {
        ProgramUnderTest& p = Start();
        EXPECT_TRUE(ProgramRegistry::KeyExists(HKEY_LOCAL_MACHINE, ProgramRegistry::kSettingsKey));
        EXPECT_EQ(p.Log(), ProgramUnderTest::kAsciiHeadline);
        ExpectChoices(p);
        EXPECT_EQ(p.Item(ID_MAGICCOMBO_SEND).ItemCount(), 0);
        EXPECT_EQ(p.SendText(), "");
        EXPECT_EQ(p.Item(ID_CB_SEND).Text(), "&Senden");
        EXPECT_TRUE(p.PortChoicesEnabled());
        EXPECT_FALSE(device.Modem(kPort).dtr); // always starts disconnected

        // Connect to COM2 at 115200 8N1.
        p.ChoosePort(kPort);
        p.ChooseLine(7, 1, 0, 0);
        const HANDLE plugApart = p.Item(ID_PICTBTTN_1).Picture();
        std::string message;
        ASSERT_TRUE(p.Connect(&message)) << message;
        EXPECT_NE(p.Item(ID_PICTBTTN_1).Picture(), plugApart);
        const DeviceLineSettings line = device.Termios(kPort);
        EXPECT_EQ(line.baud, 115200u);
        EXPECT_EQ(line.dataBits, 8);
        EXPECT_EQ(line.parity, 'N');
        EXPECT_EQ(line.stopBits, 1);
        EXPECT_TRUE(device.Modem(kPort).dtr);

        // Receive in HEX, then in ASCII: the log follows the display rules.
        ReceiveFormatter rules;
        ASSERT_TRUE(p.ToggleHexMode(true));
        std::string expected = rules.ToggleHexMode().str();
        EXPECT_EQ(expected, ProgramUnderTest::kHexHeadline);
        const std::string hexBytes = std::string("Hello\r\n\x00\x7F\x80\xFF", 11) + "0123456789";
        device.Write(kPort, hexBytes);
        expected += Formatted(rules, hexBytes);
        EXPECT_TRUE(p.WaitForLog(expected)) << p.Log();
        ASSERT_TRUE(p.ToggleHexMode(false));
        expected = rules.ToggleHexMode().str();
        const std::string asciiBytes = "Leitungsfuchs Messger\xE4t V2\r\nT=23.5 C U=5.01 V\r\nT=23.6 C U=5.02 V\r\n";
        device.Write(kPort, asciiBytes);
        expected += Formatted(rules, asciiBytes);
        EXPECT_TRUE(p.WaitForLog(expected)) << p.Log();

        // Send with a line end and echo; each text sent joins the history.
        p.Item(ID_CHECKBOX_CRLF).SetChecked(true);
        p.Item(ID_CHECKBOX_ECHO).SetChecked(true);
        struct Sent {
            const char* text;
            int lineEnd;
            std::string bytes;
        };
        const Sent sends[] = {{"AT+VERSION", 0, "AT+VERSION\r\n"}, {"ATI", 3, "ATI\n\r"}, {"Messwert?", 1, "Messwert?\r"}};
        for (const Sent& s : sends) {
            p.Item(ID_COMBO_CRLF).Select(s.lineEnd);
            p.SetSendText(s.text);
            p.PressSend();
            EXPECT_EQ(device.Read(kPort, s.bytes.size(), 5000), s.bytes);
            expected += ">" + s.bytes;
            EXPECT_TRUE(p.WaitForLog(expected)) << p.Log();
        }
        EXPECT_TRUE(WaitUntil([&] { return p.Item(ID_MAGICCOMBO_SEND).ItemCount() == 3; }, 5000));

        // Periodic sending every 0.1 s: at once, then per tick; Stop sends once more.
        p.Item(ID_COMBO_CRLF).Select(0);
        p.Item(ID_CHECKBOX_ECHO).SetChecked(false);
        p.Item(ID_CHECKBOX_PERIODIC).SetChecked(true);
        p.Item(ID_COMBO_PERIODIC).Select(0);
        p.SetSendText("P");
        p.PressSend();
        EXPECT_TRUE(WaitUntil([&] { return p.SendButtonCaption() == "&Stop"; }, 5000));
        EXPECT_EQ(device.Read(kPort, 9, 5000), "P\r\nP\r\nP\r\n");
        p.PressSend();
        EXPECT_TRUE(WaitUntil([&] { return p.SendButtonCaption() == "&Senden"; }, 5000));
        Sleep(300); // what was written before the stop reaches the device
        device.Flush(kPort);
        EXPECT_EQ(device.Read(kPort, 1, 500), "") << "periodic sending goes on after Stop";
        EXPECT_TRUE(WaitUntil([&] { return p.Item(ID_MAGICCOMBO_SEND).ItemCount() == 4; }, 5000));

        // The five send texts, edited in their dialog and confirmed with Ok.
        const std::string texts[5] = {"ATZ", "AT&F", "Grüße", "Messung starten", ""};
        ASSERT_TRUE(p.EditSendTexts(texts, true, "send-buttons"));
        for (int i = 0; i < 5; ++i) EXPECT_EQ(p.Toolbar().Tip(102 + i), texts[i]) << i;
        // Closed with the close box, the dialog changes nothing.
        const std::string discarded[5] = {"x1", "x2", "x3", "x4", "x5"};
        ASSERT_TRUE(p.EditSendTexts(discarded, false));
        EXPECT_EQ(p.Toolbar().Tip(102), "ATZ");
        p.Command(IDM_SEND_F3);
        EXPECT_EQ(device.Read(kPort, 7, 5000), "Grüße\r\n");

        // The choices that are stored at the end: LF, echo on, every 1.5 s.
        p.Item(ID_COMBO_CRLF).Select(2);
        p.Item(ID_CHECKBOX_ECHO).SetChecked(true);
        p.Item(ID_COMBO_PERIODIC).Select(4);
        CloseNormally(true); // "&Beenden"
        EXPECT_FALSE(device.Modem(kPort).dtr);
    }

    // What the program stored.
    ExpectCompleteSettings();
    const std::pair<const char*, int32_t> ints[] = {{"COM", 1},      {"Baudrate", 7}, {"Databits", 1}, {"Stopbits", 0},
                                                    {"Parity", 0},   {"CRLF", 3},     {"Periodic", 5}};
    for (const auto& [name, value] : ints) EXPECT_EQ(ProgramRegistry::Setting(name).Dword(), value) << name;
    EXPECT_EQ(ProgramRegistry::Setting("Echo").Text(), "TRUE");
    EXPECT_EQ(ProgramRegistry::Setting("COMActive").Text(), "FALSE");
    const char* const storedTexts[] = {"ATZ", "AT&F", "Grüße", "Messung starten", ""};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ProgramRegistry::Setting(kSettingTexts[i]).Text(), storedTexts[i]) << i;
    ExpectHistory({"AT+VERSION", "ATI", "Messwert?", "P"});

    // Restart: everything as stored, and disconnected.
    ProgramUnderTest& p = Start();
    EXPECT_EQ(p.Log(), ProgramUnderTest::kAsciiHeadline);
    ShownChoices stored;
    stored.port = 1;
    stored.baudrate = 7;
    stored.lineEndChecked = true;
    stored.lineEnd = 2;
    stored.periodicChecked = true;
    stored.period = 4;
    stored.echo = true;
    ExpectChoices(p, stored);
    EXPECT_EQ(p.Item(ID_CB_SEND).Text(), "&Senden"); // periodic sending not running
    EXPECT_TRUE(p.PortChoicesEnabled());
    const ForeignWindow history = p.Item(ID_MAGICCOMBO_SEND);
    ASSERT_EQ(history.ItemCount(), 4);
    const char* const items[] = {"AT+VERSION", "ATI", "Messwert?", "P"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(history.ItemText(i), items[i]) << i;
    EXPECT_EQ(history.Selection(), 0);
    EXPECT_EQ(p.SendText(), "AT+VERSION");
    // The F-key texts: the toolbar tips (the menu captions get the same
    // texts from the same operation; another process's menu cannot be read
    // under Wine) and what the commands send.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.Toolbar().Tip(102 + i), storedTexts[i]) << i;

    // An F-key command while disconnected: the message, nothing sent.
    p.Command(IDM_SEND_F1);
    ProcessWindows::MessageBoxText box;
    ASSERT_TRUE(p.Windows().WaitForMessageBox(box, ProgramUnderTest::kReactionMs));
    EXPECT_EQ(box.caption, "Fehler");
    EXPECT_EQ(box.text, "RS-232 nicht verbunden!");
    ProcessWindows::Answer(box);
    EXPECT_EQ(device.Read(kPort, 1, 300), "");

    std::string message;
    ASSERT_TRUE(p.Connect(&message)) << message;
    EXPECT_EQ(device.Termios(kPort).baud, 115200u);
    p.Command(IDM_SEND_F3);
    EXPECT_EQ(device.Read(kPort, 6, 5000), "Grüße\n");
    EXPECT_TRUE(p.WaitForLogEnd(">Grüße\n"));

    // A short session for the README's picture: the first history entry sent
    // with CR/LF, the device answering.
    p.Item(ID_COMBO_CRLF).Select(0);
    p.Item(ID_CHECKBOX_PERIODIC).SetChecked(false);
    p.PressSend();
    EXPECT_EQ(device.Read(kPort, 12, 5000), "AT+VERSION\r\n");
    EXPECT_EQ(p.SendButtonCaption(), "&Senden");
    const std::string answer = "Leitungsfuchs Messger\xE4t V2\r\nT=23.7 C U=5.00 V\r\nT=23.8 C U=5.01 V\r\n";
    device.Write(kPort, answer);
    EXPECT_TRUE(p.WaitForLogEnd(">AT+VERSION\r\n\r\n" + answer));
    KeepScreenshot(p.Main().Handle(), "main-window");
    CloseNormally();
}

TEST_F(Scenario, AboutBox)
{
    ProgramUnderTest& p = Start();
    p.Command(IDM_ABOUT);
    const ForeignWindow about =
        p.Windows().WaitFor(ProgramUnderTest::kAboutCaption, ID_ABOUT_LABEL_1, ProgramUnderTest::kReactionMs);
    ASSERT_TRUE(about);
    EXPECT_TRUE(about.Item(ID_ABOUT_PICTB_1));
    EXPECT_EQ(about.Item(ID_ABOUT_CB_OK).Text(), "&Ok");
    Sleep(200); // let the banner paint
    KeepScreenshot(about.Handle(), "about");
    about.Item(ID_ABOUT_CB_OK).PostClick();
    EXPECT_TRUE(p.Windows().WaitUntilGone(ProgramUnderTest::kAboutCaption, ProgramUnderTest::kReactionMs));
    EXPECT_TRUE(p.Main().Answers());
    CloseNormally();
}

struct ExitCase {
    const char* name;
    bool streaming;
    bool throughMenu;
};

class ExitWhileConnected : public E2eTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitWhileConnected, EndsAtOnceWithCodeZeroAndStoresEverything)
{
    const ExitCase& c = GetParam();
    ProgramUnderTest& p = Start();
    p.ChoosePort(kPort);
    p.ChooseLine(6, 0, 1, 1); // 57600 7E2
    p.Item(ID_CHECKBOX_CRLF).SetChecked(true);
    std::string message;
    ASSERT_TRUE(p.Connect(&message)) << message;
    p.SetSendText("Abschied");
    p.PressSend();
    EXPECT_EQ(device.Read(kPort, 10, 5000), "Abschied\r\n");

    std::unique_ptr<DeviceStreamer> stream;
    if (c.streaming) {
        stream = std::make_unique<DeviceStreamer>(kPort);
        ASSERT_TRUE(WaitUntil([&] { return p.Log().find("stream line") != std::string::npos; }, 10000));
    }
    CloseNormally(c.throughMenu);
    if (stream) {
        stream->Stop();
        EXPECT_EQ(stream->Failure(), "");
    }
    stream.reset();
    EXPECT_FALSE(device.Modem(kPort).dtr);

    ExpectCompleteSettings();
    EXPECT_EQ(ProgramRegistry::Setting("COM").Dword(), 1);
    EXPECT_EQ(ProgramRegistry::Setting("Baudrate").Dword(), 6);
    EXPECT_EQ(ProgramRegistry::Setting("Databits").Dword(), 0);
    EXPECT_EQ(ProgramRegistry::Setting("Stopbits").Dword(), 1);
    EXPECT_EQ(ProgramRegistry::Setting("Parity").Dword(), 1);
    EXPECT_EQ(ProgramRegistry::Setting("CRLF").Dword(), 1);
    ExpectHistory({"Abschied"});
}

INSTANTIATE_TEST_SUITE_P(Ways, ExitWhileConnected,
                         ::testing::Values(ExitCase{"Idle", false, false}, ExitCase{"Streaming", true, false},
                                           ExitCase{"StreamingThroughMenu", true, true}),
                         [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

} // namespace
