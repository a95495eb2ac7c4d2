// The main window in this process: its layout after start-up, restoring and
// storing the choices, and the two ways of closing it.
#include "MainWindowFixture.h"

#include <string>
#include <thread>
#include <vector>

#include "ApplicationClass.h"
#include "Rs232Class.h"
#include "resource_ids.h"

namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char buffer[256] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
        items.push_back(buffer);
    }
    return items;
}

struct ControlCase {
    int id;
    const char* className;
    const char* text;
};

TEST_F(MainWindowTest, FirstStartShowsEveryControlWithTheDefaults)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(TextOf(form->GetHandle()), "Simple-Leitungsfuchs");
    EXPECT_TRUE(IsWindowVisible(form->GetHandle()));

    const ControlCase controls[] = {
        {ID_GROUPB_1, "Button", "Rs232 - Einstellungen"},
        {ID_COMBO_BAUDRATE, "ComboBox", "19200"},
        {ID_LABEL_1, "Static", "Baudrate"},
        {ID_LABEL_2, "Static", "Databits"},
        {ID_COMBO_DATABITS, "ComboBox", "8"},
        {ID_COMBO_STOPBITS, "ComboBox", "1"},
        {ID_LABEL_3, "Static", "Stopbits"},
        {ID_COMBO_PARITY, "ComboBox", "none"},
        {ID_LABEL_4, "Static", "Parity"},
        {ID_PICTBTTN_1, "Button", ""},
        {ID_GROUPB_2, "Button", "Senden"},
        {ID_CB_SEND, "Button", "&Senden"},
        {ID_TEXTB_LOG, "Edit", "RS-232 Kommunikation (ASCII-Mode)\r\n"},
        {ID_LABEL_6, "Static", "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345"},
        {ID_LABEL_7, "Static", "         1         2         3         4         5         6         7         8"},
        {ID_COMBO_COMM, "ComboBox", "COM1"},
        {ID_CHECKBOX_CRLF, "Button", "anh\xE4ngen"},
        {ID_COMBO_CRLF, "ComboBox", "CR/LF"},
        {ID_CHECKBOX_ECHO, "Button", "Echo"},
        {ID_CHECKBOX_PERIODIC, "Button", ""},
        {ID_LABEL_5, "Static", "alle"},
        {ID_COMBO_PERIODIC, "ComboBox", "0.1"},
        {ID_LABEL_8, "Static", "Sek"},
        {ID_GROUPB_3, "Button", "Periodisch senden"},
        {ID_MAGICCOMBO_SEND, "ComboBox", ""},
    };
    for (const ControlCase& c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = Item(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), c.className);
        EXPECT_EQ(TextOf(control), c.text);
    }

    EXPECT_EQ(ComboItems(Item(ID_COMBO_BAUDRATE)),
              (std::vector<std::string>{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(ComboItems(Item(ID_COMBO_DATABITS)), (std::vector<std::string>{"7", "8"}));
    EXPECT_EQ(ComboItems(Item(ID_COMBO_STOPBITS)), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(ComboItems(Item(ID_COMBO_PARITY)), (std::vector<std::string>{"none", "even", "odd"}));
    EXPECT_EQ(ComboItems(Item(ID_COMBO_COMM)),
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
    EXPECT_EQ(ComboItems(Item(ID_COMBO_CRLF)), (std::vector<std::string>{"CR/LF", "CR", "LF", "LF/CR"}));
    EXPECT_EQ(ComboItems(Item(ID_COMBO_PERIODIC)),
              (std::vector<std::string>{"0.1", "0.2", "0.5", "1", "1.5", "2", "3", "5", "10", "15", "20"}));
    EXPECT_TRUE(ComboItems(Item(ID_MAGICCOMBO_SEND)).empty());
    EXPECT_EQ(Selection(ID_MAGICCOMBO_SEND), CB_ERR);

    EXPECT_EQ(Selection(ID_COMBO_BAUDRATE), 4);
    EXPECT_EQ(Selection(ID_COMBO_DATABITS), 1);
    EXPECT_EQ(Selection(ID_COMBO_STOPBITS), 0);
    EXPECT_EQ(Selection(ID_COMBO_PARITY), 0);
    EXPECT_EQ(Selection(ID_COMBO_COMM), 0);
    EXPECT_EQ(Selection(ID_COMBO_CRLF), 0);
    EXPECT_EQ(Selection(ID_COMBO_PERIODIC), 0);
    EXPECT_FALSE(Checked(ID_CHECKBOX_CRLF));
    EXPECT_FALSE(Checked(ID_CHECKBOX_ECHO)); // the stored default wins over the layout's check
    EXPECT_FALSE(Checked(ID_CHECKBOX_PERIODIC));

    // The log: read-only, red Courier New, 65535 characters.
    HWND log = Item(ID_TEXTB_LOG);
    EXPECT_TRUE(GetWindowLongA(log, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(SendMessageA(log, EM_GETLIMITTEXT, 0, 0), 65535);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(log, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "Courier New");

    // The port starts closed and the button shows the plug apart.
    EXPECT_FALSE(GetSerialPort()->IsConnected());
    EXPECT_EQ(form->pictbttn_1->GetPicture() != nullptr, true);
}

TEST_F(MainWindowTest, TabVisitsExactlyTheButtonsAndCheckBoxes)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    const int expected[] = {ID_CB_SEND, ID_CHECKBOX_CRLF, ID_CHECKBOX_ECHO, ID_CHECKBOX_PERIODIC, ID_PICTBTTN_1};
    HWND current = Item(ID_PICTBTTN_1);
    for (int id : expected) {
        current = GetNextDlgTabItem(form->GetHandle(), current, FALSE);
        ASSERT_EQ(GetDlgCtrlID(current), id);
    }
}

TEST_F(MainWindowTest, MenuHasEveryCommandAndSendTextsAsCaptions)
{
    ASSERT_TRUE(stored::SetText("RSSend0", "AT"));
    ASSERT_TRUE(stored::SetText("RSSend4", "Gr\xFC\xDF" "e"));
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    HMENU menu = GetMenu(form->GetHandle());
    ASSERT_NE(menu, nullptr);
    struct MenuCase {
        int id;
        const char* caption;
    };
    const MenuCase cases[] = {
        {IDM_SEND_BUTTONS_DIALOG, "Konfiguration der Sende-Schaltfl\xE4" "chen"},
        {IDM_SEND_F1, "AT"},
        {IDM_SEND_F2, ""},
        {IDM_SEND_F5, "Gr\xFC\xDF" "e"},
        {IDM_HEX_MODE, "Hex-Mode"},
        {IDM_CLEAR_LOG, "Ausgabefeld l\xF6schen"},
        {IDM_CLEAR_SEND_LIST, "Sendeliste leeren"},
        {IDM_EXIT, "&Beenden"},
        {IDM_ABOUT, "&\xDC" "ber"},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.id);
        char caption[128] = {};
        ASSERT_NE(GetMenuState(menu, c.id, MF_BYCOMMAND), static_cast<UINT>(-1));
        GetMenuStringA(menu, c.id, caption, sizeof(caption), MF_BYCOMMAND);
        EXPECT_EQ(std::string(caption), c.caption);
        EXPECT_FALSE(GetMenuState(menu, c.id, MF_BYCOMMAND) & MF_CHECKED);
    }
}

struct RestoreCase {
    const char* name;
    DWORD crlf, periodic, baudrate;
    const char* echo;
    const char* comActive;
    bool crlfChecked;
    int crlfSelection;
    bool periodicChecked;
    int periodicSelection;
    bool echoChecked;
    int baudSelection;
};

class RestoreChoices : public MainWindowTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreChoices, StoredChoicesReachTheControls)
{
    const RestoreCase& c = GetParam();
    ASSERT_TRUE(stored::SetDword("CRLF", c.crlf));
    ASSERT_TRUE(stored::SetDword("Periodic", c.periodic));
    ASSERT_TRUE(stored::SetDword("Baudrate", c.baudrate));
    ASSERT_TRUE(stored::SetText("Echo", c.echo));
    ASSERT_TRUE(stored::SetText("COMActive", c.comActive));
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Checked(ID_CHECKBOX_CRLF), c.crlfChecked);
    EXPECT_EQ(Selection(ID_COMBO_CRLF), c.crlfSelection);
    EXPECT_EQ(Checked(ID_CHECKBOX_PERIODIC), c.periodicChecked);
    EXPECT_EQ(Selection(ID_COMBO_PERIODIC), c.periodicSelection);
    EXPECT_EQ(Checked(ID_CHECKBOX_ECHO), c.echoChecked);
    EXPECT_EQ(Selection(ID_COMBO_BAUDRATE), c.baudSelection);
    EXPECT_FALSE(GetSerialPort()->IsConnected()); // never connected at start
    EXPECT_EQ(TextOf(Item(ID_CB_SEND)), "&Senden"); // periodic sending has not started
    EXPECT_EQ(CloseAndEnd(), 0);
    EXPECT_EQ(stored::GetSetting("COMActive"), c.comActive); // carried over
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoreChoices,
    ::testing::Values(RestoreCase{"crlf2", 2, 0, 4, "FALSE", "FALSE", true, 1, false, 0, false, 4},
                      RestoreCase{"periodic3", 0, 3, 4, "TRUE", "TRUE", false, 0, true, 2, true, 4},
                      RestoreCase{"baud12", 0, 0, 12, "true", "FALSE", false, 0, false, 0, false, CB_ERR},
                      RestoreCase{"crlf9", 9, 0, 7, "FALSE", "FALSE", true, CB_ERR, false, 0, false, 7}),
    [](const ::testing::TestParamInfo<RestoreCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ClosingStoresOptionsAndPeriodicWithoutSelectionStoresZero)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    form->checkbox_echo->SetChecked(true);
    form->checkbox_crlf->SetChecked(true);
    form->combo_crlf->SetSelectedIndex(3);
    form->checkbox_periodic->SetChecked(true);
    form->combo_periodic->SetSelectedIndex(-1);
    EXPECT_EQ(CloseAndEnd(), 0);
    DWORD value = 99;
    EXPECT_TRUE(stored::GetDword("CRLF", value));
    EXPECT_EQ(value, 4u);
    EXPECT_TRUE(stored::GetDword("Periodic", value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(stored::GetSetting("Echo"), "TRUE");
    EXPECT_EQ(stored::HistoryValueCount(), 0u); // the history key is written, empty
}

// The close box and "&Beenden" take the same steps: the whole program run
// through its main routine ends with exit code 0 and the options stored.
class CloseWays : public MainWindowTest, public ::testing::WithParamInterface<std::pair<UINT, WPARAM>> {};

TEST_P(CloseWays, RunEndsWithExitCodeZeroAndStoresTheOptions)
{
    std::thread closer([] {
        HWND window = nullptr;
        for (int i = 0; i < 500 && !window; ++i) {
            Sleep(20);
            window = FindWindowA(nullptr, "Simple-Leitungsfuchs");
            if (window && !GetDlgItem(window, ID_MAGICCOMBO_SEND)) window = nullptr;
        }
        if (!window) return;
        PostMessageA(window, BM_CLICK, 0, 0); // harmless: no button behind the form itself
        PostMessageA(GetDlgItem(window, ID_CHECKBOX_ECHO), BM_CLICK, 0, 0);
        PostMessageA(window, GetParam().first, GetParam().second, 0);
    });
    const int exitCode = TheApplication().Main(GetModuleHandleA(nullptr));
    closer.join();
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(GetMainWindow(), nullptr);
    EXPECT_EQ(stored::GetSetting("Echo"), "TRUE"); // the click on "Echo" was stored
    DWORD value = 99;
    EXPECT_TRUE(stored::GetDword("Baudrate", value));
    EXPECT_EQ(value, 4u);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseWays,
                         ::testing::Values(std::make_pair(static_cast<UINT>(WM_CLOSE), static_cast<WPARAM>(0)),
                                           std::make_pair(static_cast<UINT>(WM_COMMAND),
                                                          static_cast<WPARAM>(MAKEWPARAM(IDM_EXIT, 0)))));

} // namespace
