// SettingsClass against the registry of the test prefix. HKEY_LOCAL_MACHINE of
// this process is redirected to a scratch key of each test's own, so the store
// reads and writes its real key path there.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SettingsClass.h"
#include "settings_scratch_registry.h"

using namespace settings_test;

namespace {

const char* const KeyPath = "SOFTWARE\\Tessamund Engineering\\Leitungsfuchs";
const char* const IntegerNames[] = {"COM", "Baudrate", "Stopbits", "Parity", "Databits", "CRLF", "Periodic"};
const char* const TextNames[] = {"RSSend0", "RSSend1", "RSSend2", "RSSend3", "RSSend4"};

// What a settings record holds, COMActive included (it has no accessor and is
// seen only in what the record writes back).
struct Fields {
    int com = 0, baudrate = 4, stopbits = 0, parity = 0, databits = 1, crlf = 0, periodic = 0;
    bool comActive = false, echo = false;
    std::string send[5];

    int Integer(int i) const
    {
        const int values[] = {com, baudrate, stopbits, parity, databits, crlf, periodic};
        return values[i];
    }
};

Fields Loaded(const SettingsClass& s, bool comActive)
{
    Fields f;
    f.com = s.GetCOM();
    f.baudrate = s.GetBaudrate();
    f.stopbits = s.GetStopbits();
    f.parity = s.GetParity();
    f.databits = s.GetDatabits();
    f.crlf = s.GetCRLF();
    f.periodic = s.GetPeriodic();
    f.comActive = comActive;
    f.echo = s.GetEcho();
    for (int i = 0; i < 5; ++i)
        f.send[i] = s.GetRSSend(i).str();
    return f;
}

void ExpectSameFields(const Fields& actual, const Fields& expected)
{
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(actual.Integer(i), expected.Integer(i)) << IntegerNames[i];
    EXPECT_EQ(actual.echo, expected.echo) << "Echo";
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(actual.send[i].size(), expected.send[i].size()) << TextNames[i];
        EXPECT_TRUE(actual.send[i] == expected.send[i]) << TextNames[i];
    }
}

// The fourteen values a save leaves, with their exact types and bytes, and nothing else.
void ExpectWritten(HKEY key, const Fields& f)
{
    EXPECT_EQ(ValueCount(key), 14u);
    for (int i = 0; i < 7; ++i) {
        const RawValue raw = GetRaw(key, IntegerNames[i]);
        EXPECT_TRUE(raw.exists) << IntegerNames[i];
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD)) << IntegerNames[i];
        EXPECT_EQ(raw.bytes, DwordBytes(static_cast<DWORD>(f.Integer(i)))) << IntegerNames[i];
    }
    for (int i = 0; i < 5; ++i) {
        const RawValue raw = GetRaw(key, TextNames[i]);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ)) << TextNames[i];
        EXPECT_TRUE(raw.bytes == f.send[i] + '\0') << TextNames[i] << ": " << raw.bytes.size() << " bytes";
    }
    const RawValue comActive = GetRaw(key, "COMActive");
    EXPECT_EQ(comActive.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(comActive.bytes, Bytes(f.comActive ? "TRUE" : "FALSE")) << "COMActive";
    const RawValue echo = GetRaw(key, "Echo");
    EXPECT_EQ(echo.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(echo.bytes, Bytes(f.echo ? "TRUE" : "FALSE")) << "Echo";
}

class SettingsStoreTest : public ::testing::Test {
protected:
    ScratchKey scratch{::testing::UnitTest::GetInstance()->current_test_info()->name()};

    void SetUp() override { ASSERT_NE(scratch.Handle(), nullptr); }

    // The settings key below the redirected root, created on demand.
    HKEY SettingsKey()
    {
        if (!settingsKey_ && RegCreateKeyA(scratch.Handle(), KeyPath, &settingsKey_) != ERROR_SUCCESS)
            settingsKey_ = nullptr;
        return settingsKey_;
    }
    bool SettingsKeyExists() const
    {
        HKEY probe = nullptr;
        if (RegOpenKeyExA(scratch.Handle(), KeyPath, 0, KEY_READ, &probe) != ERROR_SUCCESS)
            return false;
        RegCloseKey(probe);
        return true;
    }
    void TearDown() override
    {
        if (settingsKey_)
            RegCloseKey(settingsKey_);
    }

private:
    HKEY settingsKey_ = nullptr;
};

struct Stored {
    const char* name;
    DWORD type;
    std::string bytes;
};

struct StoreCase {
    const char* label;
    std::vector<Stored> stored;
    std::function<void(Fields&)> expect; // changes from the defaults
};

const std::string OneMegabyte(1 << 20, 'x');

std::vector<StoreCase> StoreCases()
{
    return {
        {"first start: no key", {}, [](Fields&) {}},
        {"every value as the program writes it",
         {{"COM", REG_DWORD, DwordBytes(2)}, {"Baudrate", REG_DWORD, DwordBytes(7)},
          {"Stopbits", REG_DWORD, DwordBytes(1)}, {"Parity", REG_DWORD, DwordBytes(2)},
          {"Databits", REG_DWORD, DwordBytes(0)}, {"CRLF", REG_DWORD, DwordBytes(2)},
          {"Periodic", REG_DWORD, DwordBytes(3)}, {"RSSend0", REG_SZ, Bytes("AT")},
          {"RSSend1", REG_SZ, Bytes("ATZ")}, {"RSSend2", REG_SZ, Bytes("")},
          {"RSSend3", REG_SZ, Bytes("3")}, {"RSSend4", REG_SZ, Bytes("F5 text")},
          {"COMActive", REG_SZ, Bytes("FALSE")}, {"Echo", REG_SZ, Bytes("TRUE")}},
         [](Fields& f) {
             f.com = 2, f.baudrate = 7, f.stopbits = 1, f.parity = 2, f.databits = 0, f.crlf = 2, f.periodic = 3;
             f.send[0] = "AT", f.send[1] = "ATZ", f.send[3] = "3", f.send[4] = "F5 text";
             f.echo = true;
         }},
        {"Baudrate as a text", {{"Baudrate", REG_SZ, Bytes("7")}}, [](Fields&) {}},
        {"COMActive TRUE is carried over", {{"COMActive", REG_SZ, Bytes("TRUE")}},
         [](Fields& f) { f.comActive = true; }},
        {"flags other than TRUE are cleared",
         {{"COMActive", REG_SZ, Bytes("true")}, {"Echo", REG_SZ, Bytes("1")}}, [](Fields&) {}},
        {"flags TRUE with trailing space or FALSE",
         {{"COMActive", REG_SZ, Bytes("TRUE ")}, {"Echo", REG_SZ, Bytes("FALSE")}}, [](Fields&) {}},
        {"umlauts byte for byte",
         {{"RSSend0", REG_SZ, Bytes("\xE4\xF6\xFC")}, {"RSSend4", REG_SZ, Bytes("Gr\xFC\xDF" "e \xC4\xD6\xDC\x80\r\n")}},
         [](Fields& f) {
             f.send[0] = "\xE4\xF6\xFC";
             f.send[4] = "Gr\xFC\xDF" "e \xC4\xD6\xDC\x80\r\n";
         }},
        {"indexes out of range stay as they are",
         {{"COM", REG_DWORD, DwordBytes(99)}, {"Baudrate", REG_DWORD, DwordBytes(12)},
          {"Stopbits", REG_DWORD, DwordBytes(0xFFFFFFFF)}, {"Parity", REG_DWORD, DwordBytes(0x80000000)},
          {"Databits", REG_DWORD, DwordBytes(2)}, {"CRLF", REG_DWORD, DwordBytes(5)},
          {"Periodic", REG_DWORD, DwordBytes(0x7FFFFFFF)}},
         [](Fields& f) {
             f.com = 99, f.baudrate = 12, f.stopbits = -1, f.parity = INT32_MIN, f.databits = 2, f.crlf = 5;
             f.periodic = INT32_MAX;
         }},
        {"numbers of the wrong size or type",
         {{"COM", REG_DWORD, std::string("\x03\x00", 2)}, {"Baudrate", REG_DWORD, std::string("\x02", 1)},
          {"Stopbits", REG_DWORD, std::string()}, {"Parity", REG_DWORD, std::string("\x01\0\0\0\x01\0\0\0", 8)},
          {"Databits", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\0", 4)}, {"CRLF", REG_BINARY, DwordBytes(2)},
          {"Periodic", REG_NONE, DwordBytes(3)}},
         [](Fields&) {}},
        {"texts without NUL",
         {{"RSSend1", REG_SZ, "no end"}, {"Echo", REG_SZ, "TRUE"}, {"COMActive", REG_SZ, "TRU"}},
         [](Fields& f) {
             f.send[1] = "no end";
             f.echo = true;
         }},
        {"texts of other types are read up to their first NUL",
         {{"RSSend0", REG_BINARY, std::string("bin\0tail", 8)}, {"RSSend1", REG_BINARY, "raw"},
          {"RSSend2", REG_MULTI_SZ, std::string("one\0two\0\0", 9)}, {"RSSend3", REG_EXPAND_SZ, Bytes("%PATH%")},
          {"RSSend4", REG_DWORD, DwordBytes(0x41)}, {"COMActive", REG_BINARY, "TRUE"},
          {"Echo", REG_DWORD, DwordBytes(1)}},
         [](Fields& f) {
             f.send[0] = "bin", f.send[1] = "raw", f.send[2] = "one", f.send[3] = "%PATH%", f.send[4] = "A";
             f.comActive = true;
         }},
        {"empty and zero-length values",
         {{"RSSend0", REG_SZ, std::string()}, {"RSSend1", REG_BINARY, std::string()}, {"Echo", REG_SZ, std::string()},
          {"COMActive", REG_SZ, Bytes("")}},
         [](Fields&) {}},
        {"values of 1 MB",
         {{"RSSend3", REG_SZ, OneMegabyte + '\0'}, {"RSSend2", REG_BINARY, OneMegabyte},
          {"Periodic", REG_DWORD, OneMegabyte}, {"Echo", REG_SZ, OneMegabyte + '\0'},
          {"COMActive", REG_BINARY, std::string("TRUE\0", 5) + OneMegabyte}},
         [](Fields& f) {
             f.send[3] = OneMegabyte;
             f.send[2] = OneMegabyte;
             f.comActive = true;
         }},
    };
}

} // namespace

TEST_F(SettingsStoreTest, StoredValuesLoadAndAreWrittenBackSane)
{
    for (const StoreCase& c : StoreCases()) {
        SCOPED_TRACE(c.label);
        RegDeleteTreeA(scratch.Handle(), "SOFTWARE");
        if (!c.stored.empty()) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyA(scratch.Handle(), KeyPath, &key), ERROR_SUCCESS);
            for (const Stored& s : c.stored)
                ASSERT_EQ(SetRaw(key, s.name, s.type, s.bytes), ERROR_SUCCESS) << s.name;
            RegCloseKey(key);
        }
        Fields expected;
        c.expect(expected);
        {
            RootOverride root(scratch.Handle());
            ASSERT_TRUE(root.Ok());
            SettingsClass settings;
            ExpectSameFields(Loaded(settings, expected.comActive), expected);
        }
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(scratch.Handle(), KeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
        ExpectWritten(key, expected);
        RegCloseKey(key);
    }
}

TEST_F(SettingsStoreTest, ChangesReachTheRegistryOnlyWhenTheRecordIsDestroyed)
{
    RootOverride root(scratch.Handle());
    ASSERT_TRUE(root.Ok());
    Fields changed;
    changed.com = 7, changed.baudrate = 0, changed.stopbits = 1, changed.parity = 1, changed.databits = 0;
    changed.crlf = 4, changed.periodic = 9, changed.echo = true;
    changed.send[0] = "F1";
    changed.send[4] = "\xE4\xF6\xFC" " F5";
    {
        SettingsClass settings;
        EXPECT_TRUE(SettingsKeyExists());
        EXPECT_EQ(ValueCount(SettingsKey()), 0u);
        settings.SetCOM(changed.com);
        settings.SetBaudrate(changed.baudrate);
        settings.SetStopbits(changed.stopbits);
        settings.SetParity(changed.parity);
        settings.SetDatabits(changed.databits);
        settings.SetCRLF(changed.crlf);
        settings.SetPeriodic(changed.periodic);
        settings.SetEcho(changed.echo);
        settings.SetRSSend(0, WString(changed.send[0].c_str()));
        settings.SetRSSend(4, WString(changed.send[4].c_str()));
        EXPECT_EQ(ValueCount(SettingsKey()), 0u);
    }
    ExpectWritten(SettingsKey(), changed);
    SettingsClass reloaded;
    ExpectSameFields(Loaded(reloaded, false), changed);
}

TEST_F(SettingsStoreTest, SendTextsOutsideTheFiveButtonsAreNeitherReadNorKept)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(scratch.Handle(), KeyPath, &key), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(key, "RSSend5", REG_SZ, Bytes("sixth")), ERROR_SUCCESS);
    RegCloseKey(key);
    RootOverride root(scratch.Handle());
    ASSERT_TRUE(root.Ok());
    {
        SettingsClass settings;
        settings.SetRSSend(-1, "minus one");
        settings.SetRSSend(5, "five");
        EXPECT_TRUE(settings.GetRSSend(-1).IsEmpty());
        EXPECT_TRUE(settings.GetRSSend(5).IsEmpty());
        EXPECT_TRUE(settings.GetRSSend(4).IsEmpty());
    }
    // The foreign value stays as it was; the record adds its own fourteen.
    EXPECT_EQ(ValueCount(SettingsKey()), 15u);
    EXPECT_EQ(GetRaw(SettingsKey(), "RSSend5").bytes, Bytes("sixth"));
    EXPECT_EQ(GetRaw(SettingsKey(), "RSSend4").bytes, Bytes(""));
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeCreatedGivesDefaultsAndSilentWrites)
{
    // A root whose key has been deleted: creating anything below it fails.
    HKEY gone = nullptr;
    ASSERT_EQ(RegCreateKeyA(scratch.Handle(), "gone", &gone), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(scratch.Handle(), "gone"), ERROR_SUCCESS);
    {
        RootOverride root(gone);
        ASSERT_TRUE(root.Ok());
        HKEY probe = nullptr;
        ASSERT_NE(RegCreateKeyA(HKEY_LOCAL_MACHINE, KeyPath, &probe), ERROR_SUCCESS);

        SettingsClass settings;
        ExpectSameFields(Loaded(settings, false), Fields());
        settings.SetCOM(3);
        settings.SetEcho(true);
        settings.SetRSSend(0, "lost");
    }
    RegCloseKey(gone);
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_EQ(ValueCount(scratch.Handle()), 0u);
}

TEST_F(SettingsStoreTest, AKeyDeletedWhileTheRecordLivesFailsItsWritesSilently)
{
    RootOverride root(scratch.Handle());
    ASSERT_TRUE(root.Ok());
    {
        SettingsClass settings;
        settings.SetEcho(true);
        ASSERT_EQ(RegDeleteTreeA(scratch.Handle(), "SOFTWARE"), ERROR_SUCCESS);
    }
    EXPECT_FALSE(SettingsKeyExists());
    // Nothing broke: the next record starts from the defaults and saves again.
    {
        SettingsClass settings;
        ExpectSameFields(Loaded(settings, false), Fields());
    }
    ExpectWritten(SettingsKey(), Fields());
}
