// Sending through the real window and a virtual serial port: line ends, echo,
// the Senden/Stop button, periodic sending, F1 to F5 and the send history.
#include "MainWindowDeviceFixture.h"

#include <string>

#include "MessageBoxWatcher.h"
#include "Rs232Class.h"
#include "SettingsClass.h"
#include "resource_ids.h"

namespace {

constexpr int kPort = 4; // COM4
const char* const kHeadline = "RS-232 Kommunikation (ASCII-Mode)\r\n";

class SendingTest : public MainWindowDeviceTest<kPort> {
protected:
    Form1* StartConnected()
    {
        Form1* form = Start();
        if (!form) return nullptr;
        form->combo_comm->SetSelectedIndex(kPort - 1);
        SendMessageA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0);
        return GetSerialPort()->IsConnected() ? form : nullptr;
    }
    static void SetSendText(const std::string& text)
    {
        GetMainWindow()->magicCombo_send->SetText(WString(text));
    }
    // The left mouse button pressed and released on "Senden"/"Stop".
    static void PressSendButton()
    {
        HWND button = Item(ID_CB_SEND);
        RECT rect{};
        GetClientRect(button, &rect);
        const LPARAM point = MAKELPARAM(rect.right / 2, rect.bottom / 2);
        SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(button, WM_LBUTTONUP, 0, point);
        Pump();
    }
    static void Key(HWND window, UINT key, char character)
    {
        PostMessageA(window, WM_KEYDOWN, key, 1);
        if (character) PostMessageA(window, WM_CHAR, static_cast<WPARAM>(character), 1);
        PostMessageA(window, WM_KEYUP, key, 0xC0000001);
        Pump(50);
    }
    static std::string Log() { return TextOf(Item(ID_TEXTB_LOG)); }

};

struct LineEndCase {
    const char* name;
    bool append;
    int lineEnd;
    bool echo;
    const char* text;
    std::string sent;
    std::string echoed;
};

class LineEnds : public SendingTest, public ::testing::WithParamInterface<LineEndCase> {};

TEST_P(LineEnds, WrittenBytesAndEcho)
{
    const LineEndCase& c = GetParam();
    Form1* form = StartConnected();
    ASSERT_NE(form, nullptr);
    form->checkbox_crlf->SetChecked(c.append);
    form->combo_crlf->SetSelectedIndex(c.lineEnd);
    form->checkbox_echo->SetChecked(c.echo);
    form->SendText(c.text);
    EXPECT_EQ(device.Read(kPort, c.sent.size(), 2000), c.sent);
    EXPECT_EQ(device.Read(kPort, 1, 100), ""); // and nothing more
    EXPECT_EQ(Log(), std::string(kHeadline) + c.echoed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineEnds,
    ::testing::Values(LineEndCase{"LfCr", true, 3, true, "AT", "AT\n\r", ">AT\n\r"},
                      LineEndCase{"CrLf", true, 0, true, "AT", "AT\r\n", ">AT\r\n"},
                      LineEndCase{"Cr", true, 1, false, "AT", "AT\r", ""},
                      LineEndCase{"Lf", true, 2, true, "\xE4\xF6\xFC", "\xE4\xF6\xFC\n", ">\xE4\xF6\xFC\n"},
                      LineEndCase{"NotAppended", false, 3, true, "AT", "AT", ">AT"},
                      LineEndCase{"NoLineEndChosen", true, -1, true, "AT", "AT", ">AT"},
                      LineEndCase{"Empty", false, 0, true, "", "", ">"}),
    [](const ::testing::TestParamInfo<LineEndCase>& info) { return std::string(info.param.name); });

TEST_F(SendingTest, SendTextsWhileDisconnectedShowTheMessageAndWriteNothing)
{
    ASSERT_TRUE(stored::SetText("RSSend2", "F3 text"));
    Form1* form = StartConnected();
    ASSERT_NE(form, nullptr);
    SendMessageA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0); // disconnect
    MessageBoxWatcher watcher;
    Command(IDM_SEND_F3);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].caption, "Fehler");
    EXPECT_EQ(watcher.Boxes()[0].text, "RS-232 nicht verbunden!");
    EXPECT_EQ(Log(), kHeadline);
    EXPECT_EQ(device.Read(kPort, 1, 200), "");

    // Connected, F3 sends the stored text and adds nothing to the history.
    SendMessageA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0);
    form->checkbox_crlf->SetChecked(false);
    Command(IDM_SEND_F3);
    EXPECT_EQ(device.Read(kPort, 7, 2000), "F3 text");
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 0);
}

TEST_F(SendingTest, OnlyTheMouseOnTheButtonSends)
{
    Form1* form = StartConnected();
    ASSERT_NE(form, nullptr);
    form->checkbox_crlf->SetChecked(false);
    SetSendText("ping");
    HWND button = Item(ID_CB_SEND);
    SetFocus(button);
    Key(button, VK_RETURN, '\r');
    Key(button, VK_SPACE, ' ');
    SetFocus(Item(ID_CHECKBOX_ECHO));
    Key(Item(ID_CHECKBOX_ECHO), VK_RETURN, '\r'); // Enter as the default button's key
    EXPECT_EQ(device.Read(kPort, 1, 300), "");
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 0);

    PressSendButton();
    EXPECT_EQ(device.Read(kPort, 4, 2000), "ping");
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 1);
}

TEST_F(SendingTest, ButtonWhileDisconnectedDoesNothing)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    SetSendText("x");
    MessageBoxWatcher watcher;
    PressSendButton();
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 0);
}

TEST_F(SendingTest, PeriodicSendingStartsStopsAndOutlivesADisconnect)
{
    Form1* form = StartConnected();
    ASSERT_NE(form, nullptr);
    form->checkbox_crlf->SetChecked(false);
    form->checkbox_echo->SetChecked(false);
    form->checkbox_periodic->SetChecked(true);
    form->combo_periodic->SetSelectedIndex(0); // 0.1 s
    SetSendText("t");

    PressSendButton();
    EXPECT_EQ(TextOf(Item(ID_CB_SEND)), "&Stop");
    EXPECT_EQ(device.Read(kPort, 1, 1000), "t"); // at once
    device.Flush(kPort);
    Pump(1000);
    const std::size_t inOneSecond = device.Read(kPort, 1000, 100).size();
    EXPECT_GE(inOneSecond, 4u); // about ten a second; generous for a loaded machine
    EXPECT_LE(inOneSecond, 14u);
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 1); // the press added it, ticks never do

    // Disconnected: the timer goes on, its ticks send nothing, and the button
    // does nothing either.
    SendMessageA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->periodicTimer->IsRunning());
    PressSendButton();
    EXPECT_EQ(TextOf(Item(ID_CB_SEND)), "&Stop");
    Pump(300);

    // Connected again, sending resumes; "&Stop" stops it and sends once more.
    SendMessageA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0);
    ASSERT_TRUE(GetSerialPort()->IsConnected());
    Pump(500);
    EXPECT_FALSE(device.Read(kPort, 1, 500).empty());
    PressSendButton();
    EXPECT_EQ(TextOf(Item(ID_CB_SEND)), "&Senden");
    EXPECT_FALSE(form->periodicTimer->IsRunning());
    device.Flush(kPort);
    Pump(400);
    EXPECT_EQ(device.Read(kPort, 10, 100), "");
}

TEST_F(SendingTest, HistoryOfSentTextsSurvivesARestart)
{
    Form1* form = StartConnected();
    ASSERT_NE(form, nullptr);
    for (const char* text : {"first", "second", "third", "sec"}) { // "sec" begins an item: not added
        SetSendText(text);
        PressSendButton();
    }
    ASSERT_EQ(CloseAndEnd(), 0);
    EXPECT_EQ(stored::GetHistory(0), "first");
    EXPECT_EQ(stored::GetHistory(1), "second");
    EXPECT_EQ(stored::GetHistory(2), "third");
    EXPECT_EQ(stored::HistoryValueCount(), 3u);

    form = Start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 3);
    EXPECT_EQ(TextOf(Item(ID_MAGICCOMBO_SEND)), "first");

    // "Sendeliste leeren" and close: the key is left without values.
    Command(IDM_CLEAR_SEND_LIST);
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 0);
    ASSERT_EQ(CloseAndEnd(), 0);
    EXPECT_EQ(stored::HistoryValueCount(), 0u);
}

TEST_F(SendingTest, ElevenTextsKeepTheFirstTen)
{
    Form1* form = StartConnected();
    ASSERT_NE(form, nullptr);
    for (int i = 0; i < 11; ++i) {
        SetSendText("text " + std::to_string(i) + "!");
        PressSendButton();
    }
    EXPECT_EQ(form->magicCombo_send->GetItemCount(), 11);
    ASSERT_EQ(CloseAndEnd(), 0);
    EXPECT_EQ(stored::HistoryValueCount(), 10u);
    EXPECT_EQ(stored::GetHistory(9), "text 9!");
}

} // namespace
