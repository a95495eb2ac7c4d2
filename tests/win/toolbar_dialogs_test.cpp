// The toolbar, the send-button dialog and the About box, with real windows.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "MessageBoxWatcher.h"
#include "SettingsClass.h"
#include "WindowWaiter.h"
#include "resource_ids.h"

namespace {

const char* const kSendButtonsCaption = "Schaltfl\xE4" "chen zum Senden von RS-232-Kommandos";

// The record as the program carries it in its resources, read field by field
// with plain little-endian reads (not with the program's reader).
class RecordBytes {
public:
    RecordBytes()
    {
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(module, "ID_Form1_toolb_1_data", MAKEINTRESOURCEA(10));
        if (!found) return;
        const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        bytes_.assign(bytes, bytes + SizeofResource(module, found));
    }
    std::size_t Size() const { return bytes_.size(); }
    int32_t Int(std::size_t at) const
    {
        if (at + 4 > bytes_.size()) return INT32_MIN;
        return static_cast<int32_t>(bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16
                                    | static_cast<uint32_t>(bytes_[at + 3]) << 24);
    }
    unsigned Byte(std::size_t at) const { return at < bytes_.size() ? bytes_[at] : 0xFFFF; }
    std::string Text(std::size_t at, std::size_t length) const
    {
        return at + length <= bytes_.size() ? std::string(reinterpret_cast<const char*>(&bytes_[at]), length) : "";
    }

private:
    std::vector<unsigned char> bytes_;
};

TEST(ToolbarRecord, ResourceMatchesTheLayoutFieldByField)
{
    RecordBytes record;
    ASSERT_EQ(record.Size(), 492u);
    const unsigned header0[] = {1, 0xD1, 0, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(record.Byte(i), header0[i]);
    const int32_t header[] = {16, 16, 23, 22, 11, 0, 6, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(record.Int(4 + 4 * i), header[i]) << "header field " << i + 1;

    struct EntryCase {
        int32_t kind;
        int32_t image;
        const char* tip;
    };
    const EntryCase entries[] = {
        {0, 10, "Einstellungen"}, {1, 0, ""},  {0, 27, "---"}, {0, 28, "---"}, {0, 29, "---"},   {0, 30, "---"},
        {0, 31, "---"},           {1, 0, ""},  {0, 5, "Ausgabefeld l\xF6schen"}, {1, 0, ""}, {0, 32, "Beenden"},
    };
    std::size_t at = 36;
    for (const EntryCase& e : entries) {
        SCOPED_TRACE(at);
        EXPECT_EQ(record.Int(at), e.kind);
        EXPECT_EQ(record.Int(at + 4), e.image);
        EXPECT_EQ(record.Int(at + 8), 0);
        const unsigned flags[] = {1, 0, 0, 0, 0, 0, 1, 0}; // enabled ... hidden, wrap, include, reserved
        for (int f = 0; f < 8; ++f) EXPECT_EQ(record.Byte(at + 12 + f), flags[f]) << "flag " << f;
        const int32_t textLength = record.Int(at + 20);
        const int32_t tipLength = record.Int(at + 24);
        EXPECT_EQ(textLength, 0);
        ASSERT_EQ(tipLength, static_cast<int32_t>(strlen(e.tip)));
        EXPECT_EQ(record.Byte(at + 28), 0u);
        EXPECT_EQ(record.Text(at + 29, tipLength), e.tip);
        EXPECT_EQ(record.Byte(at + 29 + tipLength), 0u);
        at += 30 + textLength + tipLength;
    }
    const int32_t images[][3] = {{105, 1, 1}, {106, 1, 1}, {107, 1, 1}, {108, 1, 1}, {109, 1, 1}, {100, 1, 0}};
    for (const auto& image : images) {
        for (int f = 0; f < 3; ++f) EXPECT_EQ(record.Int(at + 4 * f), image[f]);
        at += 12;
    }
    EXPECT_EQ(at, record.Size());
}

class ToolbarTest : public MainWindowTest {
protected:
    HWND Toolbar() { return GetMainWindow()->toolb_1->GetHandle(); }

    // A click on the toolbar button with this command id, as the mouse does it.
    void ClickButton(int commandId)
    {
        const LRESULT index = SendMessageA(Toolbar(), TB_COMMANDTOINDEX, commandId, 0);
        ASSERT_GE(index, 0);
        RECT rect{};
        SendMessageA(Toolbar(), TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageA(Toolbar(), WM_MOUSEMOVE, 0, point);
        PostMessageA(Toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(Toolbar(), WM_LBUTTONUP, 0, point);
    }
};

TEST_F(ToolbarTest, ElevenEntriesWithTheirIdsSeparatorsAndSendTextTips)
{
    ASSERT_TRUE(stored::SetText("RSSend0", "ATZ"));
    ASSERT_TRUE(stored::SetText("RSSend2", "Gr\xFC\xDF" "e"));
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(SendMessageA(Toolbar(), TB_BUTTONCOUNT, 0, 0), 11);
    for (int i = 0; i < 11; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageA(Toolbar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ(button.idCommand, 100 + i);
        const bool separator = (button.fsStyle & BTNS_SEP) != 0;
        EXPECT_EQ(separator, i == 1 || i == 7 || i == 9) << i;
        if (!separator) {
            EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
            EXPECT_FALSE(button.fsState & TBSTATE_CHECKED);
        }
    }
    EXPECT_EQ(form->toolb_1->GetButtonTip(100).str(), "Einstellungen");
    EXPECT_EQ(form->toolb_1->GetButtonTip(102).str(), "ATZ");
    EXPECT_EQ(form->toolb_1->GetButtonTip(103).str(), "");
    EXPECT_EQ(form->toolb_1->GetButtonTip(104).str(), "Gr\xFC\xDF" "e");
    EXPECT_EQ(form->toolb_1->GetButtonTip(108).str(), "Ausgabefeld l\xF6schen");
    EXPECT_EQ(form->toolb_1->GetButtonTip(110).str(), "Beenden");
    // One tip per send button, even after the texts were shown again.
    HWND tips = reinterpret_cast<HWND>(SendMessageA(Toolbar(), TB_GETTOOLTIPS, 0, 0));
    const LRESULT tools = SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0);
    form->UpdateSendButtonTexts();
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), tools);
}

TEST_F(ToolbarTest, ButtonsDoWhatTheirMenuItemsDo)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    form->textb_log->AppendText("noise");

    ClickButton(108); // "Ausgabefeld löschen"
    ASSERT_TRUE(PumpUntil([] { return TextOf(Item(ID_TEXTB_LOG)).empty(); }));

    {
        MessageBoxWatcher watcher;
        for (int id = 102; id <= 106; ++id) ClickButton(id); // send buttons while disconnected
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() == 5; }));
        for (const MessageBoxWatcher::Box& box : watcher.Boxes()) {
            EXPECT_EQ(box.caption, "Fehler");
            EXPECT_EQ(box.text, "RS-232 nicht verbunden!");
        }
    }

    {
        WindowWaiter waiter(kSendButtonsCaption, [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
        ClickButton(100); // "Einstellungen" opens the send-button dialog
        ASSERT_TRUE(PumpUntil([&] { return waiter.Found(); }));
        Pump(100);
    }

    // Separators and ids the toolbar does not have do nothing.
    form->textb_log->AppendText("kept");
    for (int id : {101, 107, 109, 99, 111, 1010}) {
        SendMessageA(form->GetHandle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Toolbar()));
    }
    Pump();
    EXPECT_EQ(TextOf(Item(ID_TEXTB_LOG)), "kept");

    ClickButton(110); // "Beenden" closes the program
    int code = -2;
    ASSERT_TRUE(PumpUntil([&] { return !WApplication::ProcessPendingMessages(&code); }));
    EXPECT_EQ(code, 0);
}

class SendButtonsDialogTest : public MainWindowTest {
protected:
    // Opens the dialog with command 1001; `fill` runs on the open dialog
    // from another thread and closes it.
    void RunDialog(const std::function<void(HWND)>& fill)
    {
        WindowWaiter waiter(kSendButtonsCaption, fill);
        PostMessageA(GetMainWindow()->GetHandle(), WM_COMMAND, MAKEWPARAM(IDM_SEND_BUTTONS_DIALOG, 0), 0);
        ASSERT_TRUE(PumpUntil([&] { return waiter.Found(); }, 10000));
        Pump(100);
    }
    static std::string MenuCaption(int id)
    {
        char caption[512] = {};
        GetMenuStringA(GetMenu(GetMainWindow()->GetHandle()), id, caption, sizeof(caption), MF_BYCOMMAND);
        return caption;
    }
    static void SetEdit(HWND dialog, int id, const std::string& text)
    {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static std::string Edit(HWND dialog, int id)
    {
        char text[1024] = {};
        SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
        return text;
    }
};

TEST_F(SendButtonsDialogTest, OkTakesTheTextsIntoMenuTipsAndSettings)
{
    ASSERT_TRUE(stored::SetText("RSSend1", "old"));
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    const std::string longText(300, 'x');
    std::string shownBefore;
    RunDialog([&](HWND dialog) {
        shownBefore = Edit(dialog, ID_SB_TEXTB_2);
        SetEdit(dialog, ID_SB_TEXTB_1, "AT+CSQ");
        SetEdit(dialog, ID_SB_TEXTB_2, "");
        SetEdit(dialog, ID_SB_TEXTB_5, longText);
        SendMessageA(GetDlgItem(dialog, ID_SB_CB_1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(shownBefore, "old");
    EXPECT_EQ(GetSettings()->GetRSSend(0).str(), "AT+CSQ");
    EXPECT_EQ(GetSettings()->GetRSSend(1).str(), "");
    EXPECT_EQ(GetSettings()->GetRSSend(4).str(), longText); // stored whole
    EXPECT_EQ(MenuCaption(IDM_SEND_F1), "AT+CSQ");
    EXPECT_EQ(MenuCaption(IDM_SEND_F2), "");
    EXPECT_EQ(form->toolb_1->GetButtonTip(102).str(), "AT+CSQ");
    EXPECT_EQ(form->toolb_1->GetButtonTip(103).str(), "");

    // A second run shows what the first confirmed.
    std::string shownAgain;
    RunDialog([&](HWND dialog) {
        shownAgain = Edit(dialog, ID_SB_TEXTB_1);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(shownAgain, "AT+CSQ");

    // And the registry has them after the end of the program.
    EXPECT_EQ(CloseAndEnd(), 0);
    EXPECT_EQ(stored::GetSetting("RSSend0"), "AT+CSQ");
    EXPECT_EQ(stored::GetSetting("RSSend4"), longText);
}

struct DismissCase {
    const char* name;
    std::function<void(HWND)> dismiss;
};

class SendButtonsDismissed : public SendButtonsDialogTest, public ::testing::WithParamInterface<DismissCase> {};

TEST_P(SendButtonsDismissed, EditsAreLost)
{
    ASSERT_TRUE(stored::SetText("RSSend2", "keep"));
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    RunDialog([&](HWND dialog) {
        SetEdit(dialog, ID_SB_TEXTB_3, "changed");
        GetParam().dismiss(dialog);
    });
    EXPECT_EQ(GetSettings()->GetRSSend(2).str(), "keep");
    EXPECT_EQ(MenuCaption(IDM_SEND_F3), "keep");
    EXPECT_EQ(form->toolb_1->GetButtonTip(104).str(), "keep");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, SendButtonsDismissed,
    ::testing::Values(
        DismissCase{"CloseBox", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        DismissCase{"Escape",
                    [](HWND dialog) {
                        HWND edit = GetDlgItem(dialog, ID_SB_TEXTB_3);
                        PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                        PostMessageA(edit, WM_KEYUP, VK_ESCAPE, 0xC0010001);
                    }}),
    [](const ::testing::TestParamInfo<DismissCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, AboutOpensFromItsCommandAndEnterClosesIt)
{
    Form1* form = Start();
    ASSERT_NE(form, nullptr);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        std::string okText;
        std::string label;
        bool hasBanner = false;
        WindowWaiter waiter("Quembarsolt", [&](HWND dialog) {
            char text[64] = {};
            SendMessageA(GetDlgItem(dialog, ID_ABOUT_CB_OK), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
            okText = text;
            SendMessageA(GetDlgItem(dialog, ID_ABOUT_LABEL_1), WM_GETTEXT, sizeof(text),
                         reinterpret_cast<LPARAM>(text));
            label = text;
            hasBanner = SendMessageA(GetDlgItem(dialog, ID_ABOUT_PICTB_1), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
            HWND focus = GetDlgItem(dialog, ID_ABOUT_CB_OK);
            PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
        });
        Command(IDM_ABOUT); // returns when the box is closed
        EXPECT_TRUE(waiter.Found());
        EXPECT_EQ(okText, "&Ok");
        EXPECT_FALSE(label.empty());
        EXPECT_TRUE(hasBanner);
        EXPECT_EQ(WindowWaiter::FindOwn("Quembarsolt"), nullptr);
    }
    EXPECT_TRUE(IsWindowEnabled(form->GetHandle()));
}

} // namespace
