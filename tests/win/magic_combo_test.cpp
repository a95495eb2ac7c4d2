// The send combo box in a real window, driven by messages through the same
// dialog-manager path as the program's message loop, with its history in the
// registry of the test prefix (HKEY_CURRENT_USER of this process redirected to
// a scratch key for each test).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "HistoryRules.h"
#include "MagicComboBox.h"
#include "WEventData.h"
#include "WForm.h"
#include "magic_combo_test.h"

namespace {

constexpr const char* kHistoryKey = "SoftwareQuembarsoltMagicComboBox";
constexpr const char* kScratchKey = "Software\\Leitungsfuchs Tests\\magic_combo";

using Texts = std::vector<std::string>;

// For its lifetime HKEY_CURRENT_USER of this process is a fresh scratch key.
class UserRootSandbox {
public:
    UserRootSandbox()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch_,
                            nullptr) != ERROR_SUCCESS)
            scratch_ = nullptr;
        ok_ = scratch_ && RegOverridePredefKey(HKEY_CURRENT_USER, scratch_) == ERROR_SUCCESS;
    }
    ~UserRootSandbox()
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (scratch_) RegCloseKey(scratch_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    }
    UserRootSandbox(const UserRootSandbox&) = delete;
    UserRootSandbox& operator=(const UserRootSandbox&) = delete;
    bool Ok() const { return ok_; }

private:
    HKEY scratch_ = nullptr;
    bool ok_ = false;
};

// The history key as the registry holds it, read with the plain API.
class StoredKey {
public:
    struct Value {
        std::string name;
        DWORD type;
        std::string bytes;
    };

    StoredKey()
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kHistoryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr)
            != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~StoredKey()
    {
        if (key_) RegCloseKey(key_);
    }
    StoredKey(const StoredKey&) = delete;
    StoredKey& operator=(const StoredKey&) = delete;

    bool Set(const char* name, DWORD type, const std::string& bytes) const
    {
        return RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    }
    bool SetText(const char* name, const std::string& text) const
    {
        return Set(name, REG_SZ, std::string(text.c_str(), text.size() + 1));
    }

    // Every value in enumeration order.
    std::vector<Value> Values() const
    {
        std::vector<Value> values;
        DWORD count = 0, longestName = 0, longestData = 0;
        if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                             &longestData, nullptr, nullptr) != ERROR_SUCCESS)
            return values;
        std::vector<char> name(longestName + 1);
        std::vector<BYTE> data(longestData + 1);
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (RegEnumValueA(key_, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
                break;
            values.push_back({std::string(name.data(), nameLength), type,
                              std::string(reinterpret_cast<const char*>(data.data()), size)});
        }
        return values;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Value& value : Values()) names.push_back(value.name);
        return names;
    }

private:
    HKEY key_ = nullptr;
};

// The values SaveHistory writes for these texts, in order.
void ExpectSavedHistory(const Texts& texts)
{
    const std::vector<StoredKey::Value> values = StoredKey().Values();
    ASSERT_EQ(values.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(values[i].name, HistoryRules::EntryValueName(static_cast<unsigned>(i)).str());
        EXPECT_EQ(values[i].type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(values[i].bytes, std::string(texts[i].c_str(), texts[i].size() + 1));
    }
}

// Everything waiting in this thread's queue, handled as the program's message
// loop does: the dialog manager first, then translate and dispatch.
void Pump()
{
    MSG message{};
    for (int i = 0; i < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A key pressed and released on a window; the message loop makes the character.
void PressKey(HWND window, UINT virtualKey)
{
    const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, virtualKey, scanCode | 1);
    PostMessageA(window, WM_KEYUP, virtualKey, scanCode | 1 | 0xC0000000);
    Pump();
}

void TypeLetters(HWND window, const char* letters)
{
    for (const char* c = letters; *c; ++c) PressKey(window, LOBYTE(VkKeyScanA(*c)));
}

// The test window: the combo box, a plain edit field and a default button
// whose presses are counted.
class TestForm : public WForm {
public:
    int defaultButtonPresses = 0;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) ++defaultButtonPresses;
        return WForm::OnMessage(message, wParam, lParam, result);
    }
};

struct TestWindow {
    TestForm form;
    MagicComboBox combo; // goes before the form's window

    bool Open()
    {
        if (!form.Create(GetModuleHandleA(nullptr), "ID_MagicComboTest")) return false;
        if (!combo.AttachDlgItem(form, ID_MAGIC_COMBO_TEST_COMBO) || !combo.GetEditField()) return false;
        form.Show();
        SetFocus(EditField());
        Pump();
        return true;
    }
    HWND EditField() const { return combo.GetEditField()->GetHandle(); }
    HWND PlainEdit() const { return GetDlgItem(form.GetHandle(), ID_MAGIC_COMBO_TEST_EDIT); }

    Texts Items() const
    {
        Texts items;
        for (int i = 0; i < combo.GetItemCount(); ++i) items.push_back(combo.GetItemText(i).str());
        return items;
    }
    void SetItems(const Texts& items)
    {
        combo.DeleteAllItems();
        for (const std::string& item : items) combo.AddItem(item.c_str());
    }
    std::string EditText() const { return combo.GetEditField()->GetText().str(); }
    std::pair<int, int> EditSelection() const
    {
        DWORD start = 0, end = 0;
        SendMessageA(EditField(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }
};

class MagicComboBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sandbox_.Ok());
        ASSERT_TRUE(window_.Open());
    }

    UserRootSandbox sandbox_;
    TestWindow window_;
    MagicComboBox& combo_ = window_.combo;
};

TEST_F(MagicComboBoxTest, SentTextsAreSavedInOrderAndComeBackInOrder)
{
    const Texts texts = {"ATZ", "AT+CGMI", "Gr\xFC\xDF" "e"}; // Grüße
    for (const std::string& text : texts) EXPECT_TRUE(combo_.AddSentText(text.c_str()));
    EXPECT_TRUE(combo_.SaveHistory(HKEY_CURRENT_USER, kHistoryKey, 10));
    ExpectSavedHistory(texts);

    TestWindow next;
    ASSERT_TRUE(next.Open());
    EXPECT_TRUE(next.combo.LoadHistory(HKEY_CURRENT_USER, kHistoryKey));
    EXPECT_EQ(next.Items(), texts);
}

TEST_F(MagicComboBoxTest, ElevenTextsAreAllListedAndTheFirstTenSaved)
{
    Texts texts;
    for (int i = 0; i <= 10; ++i) texts.push_back("Text " + std::to_string(100 + i));
    for (const std::string& text : texts) combo_.AddSentText(text.c_str());
    EXPECT_EQ(window_.Items(), texts);

    EXPECT_TRUE(combo_.SaveHistory(HKEY_CURRENT_USER, kHistoryKey, 10));
    ExpectSavedHistory(Texts(texts.begin(), texts.begin() + 10));
}

TEST_F(MagicComboBoxTest, LoadingAddsToWhatTheListHoldsAndAMissingKeyChangesNothing)
{
    window_.SetItems({"schon da"});
    EXPECT_FALSE(combo_.LoadHistory(HKEY_CURRENT_USER, kHistoryKey));
    EXPECT_EQ(window_.Items(), Texts{"schon da"});

    StoredKey stored;
    ASSERT_TRUE(stored.SetText("history_entry_00000", "gespeichert"));
    EXPECT_TRUE(combo_.LoadHistory(HKEY_CURRENT_USER, kHistoryKey));
    EXPECT_EQ(window_.Items(), (Texts{"schon da", "gespeichert"}));
}

struct AddCase {
    const char* text;
    bool addedAfterSend;
    bool addedOnEnter;
};

class AddRules : public MagicComboBoxTest, public testing::WithParamInterface<AddCase> {};

// After a send a text joins unless an item begins with it; on Enter unless an
// item equals it; letter case is ignored either way.
TEST_P(AddRules, SendAndEnter)
{
    const AddCase& c = GetParam();
    const Texts items = {"Hello World", "[abc]"};
    const Texts withText = {"Hello World", "[abc]", c.text};

    window_.SetItems(items);
    combo_.AddSentText(c.text);
    EXPECT_EQ(window_.Items(), c.addedAfterSend ? withText : items);

    window_.SetItems(items);
    combo_.SetText(c.text);
    PressKey(window_.EditField(), VK_RETURN);
    EXPECT_EQ(window_.Items(), c.addedOnEnter ? withText : items);
    // Enter stays in the field: no default button, no line break, text selected.
    EXPECT_EQ(window_.form.defaultButtonPresses, 0);
    EXPECT_EQ(window_.EditText(), c.text);
    EXPECT_EQ(window_.EditSelection(), std::make_pair(0, static_cast<int>(strlen(c.text))));
    EXPECT_TRUE(combo_.completionAllowed);
}

INSTANTIATE_TEST_SUITE_P(Texts, AddRules,
                         testing::Values(AddCase{"", false, false},             //
                                         AddCase{"hello", false, true},         //
                                         AddCase{"HELLO WORLD", false, false},  //
                                         AddCase{"hello world!", true, true},   //
                                         AddCase{"abc", true, true}));          // "[abc]" does not begin with it

TEST_F(MagicComboBoxTest, EnterWithAddOnEnterOffAddsNothing)
{
    combo_.addOnEnter = false;
    combo_.SetText("neu");
    PressKey(window_.EditField(), VK_RETURN);
    EXPECT_TRUE(window_.Items().empty());
}

TEST_F(MagicComboBoxTest, EnterInAnotherFieldStillPressesTheDefaultButton)
{
    SetFocus(window_.PlainEdit());
    PressKey(window_.PlainEdit(), VK_RETURN);
    EXPECT_EQ(window_.form.defaultButtonPresses, 1);
    EXPECT_TRUE(window_.Items().empty());
}

TEST_F(MagicComboBoxTest, ClearHistoryEmptiesFieldAndListAndTheSaveLeavesAnEmptyKey)
{
    StoredKey stored;
    ASSERT_TRUE(stored.SetText("history_entry_00000", "alt"));
    window_.SetItems({"eins", "zwei"});
    combo_.SetSelectedIndex(1);

    combo_.ClearHistory();
    EXPECT_EQ(window_.EditText(), "");
    EXPECT_TRUE(window_.Items().empty());
    EXPECT_EQ(stored.Values().size(), 1u); // the registry waits for the save

    EXPECT_TRUE(combo_.SaveHistory(HKEY_CURRENT_USER, kHistoryKey, 10));
    EXPECT_TRUE(stored.Values().empty());
}

TEST_F(MagicComboBoxTest, ForeignValuesOfAnyTypeLoadAsTextAndAreSavedBackUnderHistoryNames)
{
    StoredKey stored;
    ASSERT_TRUE(stored.SetText("Fremd", "von anderswo"));
    ASSERT_TRUE(stored.Set("Zahl", REG_DWORD, std::string("ABC\0", 4)));          // its bytes up to the zero
    ASSERT_TRUE(stored.Set("Binaer", REG_BINARY, std::string("xyz", 3)));        // no zero byte at all
    ASSERT_TRUE(stored.Set("Nullbyte vorn", REG_BINARY, std::string("\0x", 2))); // empty text: skipped
    ASSERT_TRUE(stored.SetText("Leer", ""));                                      // skipped
    ASSERT_TRUE(stored.Set("Gross", REG_SZ, std::string(1 << 20, 'g') + '\0'));   // over the entry limit
    ASSERT_TRUE(stored.Set("Grenze", REG_SZ, std::string(HistoryRules::MaxEntryLength, 'h') + '\0'));

    // The list follows the key's order of enumeration.
    Texts expected;
    for (const StoredKey::Value& value : stored.Values()) {
        if (value.name == "Fremd") expected.push_back("von anderswo");
        if (value.name == "Zahl") expected.push_back("ABC");
        if (value.name == "Binaer") expected.push_back("xyz");
        if (value.name == "Grenze") expected.push_back(std::string(HistoryRules::MaxEntryLength, 'h'));
    }
    ASSERT_EQ(expected.size(), 4u);

    EXPECT_TRUE(combo_.LoadHistory(HKEY_CURRENT_USER, kHistoryKey));
    EXPECT_EQ(window_.Items(), expected);

    EXPECT_TRUE(combo_.SaveHistory(HKEY_CURRENT_USER, kHistoryKey, 10));
    ExpectSavedHistory(expected);
}

TEST_F(MagicComboBoxTest, AKeyFullOfForeignValuesLoadsABoundedListAndIsEmptiedAtTheSave)
{
    StoredKey stored;
    const int foreign = static_cast<int>(HistoryRules::MaxLoadedValues) + 44;
    for (int i = 0; i < foreign; ++i) {
        const std::string name = "fremd " + std::to_string(1000 + i);
        ASSERT_TRUE(stored.SetText(name.c_str(), name));
    }
    EXPECT_TRUE(combo_.LoadHistory(HKEY_CURRENT_USER, kHistoryKey));
    const Texts items = window_.Items();
    EXPECT_EQ(items.size(), HistoryRules::MaxLoadedValues);

    EXPECT_TRUE(combo_.SaveHistory(HKEY_CURRENT_USER, kHistoryKey, 10));
    ExpectSavedHistory(Texts(items.begin(), items.begin() + 10));
}

// A value whose name has no spelling in the ANSI code page cannot be deleted
// through the ANSI functions: its enumerated name is not its real name.
TEST_F(MagicComboBoxTest, AValueThatCannotBeDeletedDoesNotStopTheSave)
{
    StoredKey stored;
    const wchar_t unicodeName[] = L"\x4E2D\x6587";
    const BYTE data[] = {'x', 0, 0, 0};
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kHistoryKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, unicodeName, 0, REG_SZ, data, sizeof data), ERROR_SUCCESS);
    ASSERT_TRUE(stored.SetText("zz fremd", "weg damit"));
    // Precondition: through its enumerated ANSI name the value does not go.
    std::vector<std::string> names = stored.Names();
    ASSERT_EQ(names.size(), 2u);
    const std::string ansiName = names[0] == "zz fremd" ? names[1] : names[0];
    EXPECT_NE(RegDeleteValueA(key, ansiName.c_str()), ERROR_SUCCESS);
    RegCloseKey(key);

    window_.SetItems({"eins", "zwei"});
    EXPECT_TRUE(combo_.SaveHistory(HKEY_CURRENT_USER, kHistoryKey, 10));
    names = stored.Names();
    std::vector<std::string> expected = {"history_entry_00000", "history_entry_00001", ansiName};
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected); // the foreign one that could go is gone
}

struct Keystroke {
    UINT key;           // a virtual key, or 0 for typing `letters`
    const char* letters;
    const char* text;   // the edit field afterwards
    int selStart;
    int selEnd;
};

// Typing completes from the list with the completed rest selected; Delete and
// Backspace never complete; the caret away from the end keeps its place.
TEST_F(MagicComboBoxTest, CompletionWhileTyping)
{
    window_.SetItems({"ATZ", "atd123", "xatwert"});
    const Keystroke steps[] = {
        {0, "a", "ATZ", 1, 3},          // the first item that begins with it, in its letter case
        {0, "t", "ATZ", 2, 3},          //
        {0, "d", "atd123", 3, 6},       // "ATd": the next item
        {VK_BACK, "", "atd", 3, 3},     // the selected rest goes, no completion
        {VK_BACK, "", "at", 2, 2},      // "at" would complete to "ATZ"
        {VK_HOME, "", "at", 0, 0},      //
        {VK_DELETE, "", "t", 0, 0},     //
        {0, "xa", "xatwert", 2, 2},     // completed, but the caret was not at the end
        {VK_END, "", "xatwert", 7, 7},  //
        {0, "q", "xatwertq", 8, 8},     // nothing begins with it
    };
    for (const Keystroke& step : steps) {
        SCOPED_TRACE(step.text);
        if (step.key) PressKey(window_.EditField(), step.key);
        else TypeLetters(window_.EditField(), step.letters);
        EXPECT_EQ(window_.EditText(), step.text);
        EXPECT_EQ(window_.EditSelection(), std::make_pair(step.selStart, step.selEnd));
    }
    EXPECT_EQ(window_.Items(), (Texts{"ATZ", "atd123", "xatwert"})); // typing adds nothing
}

TEST_F(MagicComboBoxTest, WithoutAutoCompleteTypingOnlyTypes)
{
    window_.SetItems({"ATZ"});
    combo_.autoComplete = false;
    TypeLetters(window_.EditField(), "at");
    EXPECT_EQ(window_.EditText(), "at");
}

TEST_F(MagicComboBoxTest, KeysOfTheEditFieldAreRaisedOnTheBox)
{
    struct Recorder : WObject {
        std::vector<UINT> keys;
        bool OnKeyDown(WObject*, WEventData* data)
        {
            keys.push_back(static_cast<WKeyEventData*>(data)->virtualKey);
            return false;
        }
    } recorder;
    combo_.Connect(WEventId::KeyDown, &recorder, WHandler(&Recorder::OnKeyDown));
    PressKey(window_.EditField(), VK_BACK);
    PressKey(window_.EditField(), VK_RETURN);
    EXPECT_EQ(recorder.keys, (std::vector<UINT>{VK_BACK, VK_RETURN}));
    combo_.Disconnect(WEventId::KeyDown, &recorder, WHandler(&Recorder::OnKeyDown));
}

} // namespace
