// WRegistryKey against the registry of the test prefix: opening and closing,
// bounded reads of hostile values, writing, enumerating and deleting.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "WRegistryKey.h"
#include "settings_scratch_registry.h"

using namespace settings_test;

namespace {

std::string DataOf(const WRegistryKey::Value& value)
{
    return std::string(value.data.begin(), value.data.end());
}

std::string Subkey(const ScratchKey& scratch, const char* below)
{
    return scratch.Path() + "\\" + below;
}

class RegistryKeyTest : public ::testing::Test {
protected:
    ScratchKey scratch{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    void SetUp() override { ASSERT_NE(scratch.Handle(), nullptr); }
};

const std::string OneMegabyteText = std::string(1 << 20, 'x') + '\0';

} // namespace

TEST_F(RegistryKeyTest, CreateMakesTheWholePathAndOpensItAgain)
{
    const std::string path = Subkey(scratch, "A\\B\\C");
    {
        WRegistryKey key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, path.c_str()));
        EXPECT_TRUE(key.IsOpen());
        EXPECT_TRUE(key.WriteDword("n", 7));
    }
    WRegistryKey again;
    ASSERT_TRUE(again.Create(HKEY_CURRENT_USER, path.c_str()));
    DWORD n = 0;
    EXPECT_TRUE(again.ReadDword("n", n));
    EXPECT_EQ(n, 7u);
}

TEST_F(RegistryKeyTest, OpenFindsOnlyExistingKeys)
{
    WRegistryKey key;
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, Subkey(scratch, "missing").c_str(), KEY_ALL_ACCESS));
    EXPECT_EQ(key.GetLastResult(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());

    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_ALL_ACCESS));
    EXPECT_TRUE(key.WriteText("v", "w"));
    EXPECT_EQ(GetRaw(scratch.Handle(), "v").bytes, Bytes("w"));
}

TEST_F(RegistryKeyTest, CreateRefusesAnEmptyName)
{
    WRegistryKey key;
    EXPECT_FALSE(key.Create(HKEY_CURRENT_USER, ""));
    EXPECT_FALSE(key.Create(HKEY_CURRENT_USER, nullptr));
    EXPECT_EQ(key.GetLastResult(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(RegistryKeyTest, ASubkeyOfTheHeldKeyCanReplaceIt)
{
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_ALL_ACCESS));
    ASSERT_TRUE(key.Create(key.GetHandle(), "child"));
    EXPECT_TRUE(key.WriteText("v", "in child"));
    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExA(scratch.Handle(), "child", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(GetRaw(child, "v").bytes, Bytes("in child"));
    RegCloseKey(child);
}

TEST_F(RegistryKeyTest, OwnsItsHandleAndPassesItOnWhenMoved)
{
    HKEY raw = nullptr;
    {
        WRegistryKey first;
        ASSERT_TRUE(first.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_ALL_ACCESS));
        raw = first.GetHandle();
        WRegistryKey second(std::move(first));
        EXPECT_FALSE(first.IsOpen());
        EXPECT_EQ(second.GetHandle(), raw);
        WRegistryKey third;
        third = std::move(second);
        EXPECT_EQ(third.GetHandle(), raw);
        EXPECT_TRUE(third.WriteDword("alive", 1));
        EXPECT_FALSE(second.WriteDword("dead", 1));
        EXPECT_EQ(second.GetLastResult(), ERROR_INVALID_HANDLE);
    }
    // Closed exactly once, by the last owner.
    EXPECT_EQ(RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeyTest, AnUnopenedKeyFailsEveryOperation)
{
    WRegistryKey key;
    WRegistryKey::Value value;
    WRegistryKey::ValueInfo info;
    WRegistryKey::KeyInfo keyInfo;
    WString text("unchanged");
    DWORD number = 42;
    EXPECT_FALSE(key.QueryValueInfo("v", info));
    EXPECT_FALSE(key.HasValue("v"));
    EXPECT_FALSE(key.ReadValue("v", value));
    EXPECT_FALSE(key.ReadText("v", text));
    EXPECT_FALSE(key.ReadDword("v", number));
    EXPECT_FALSE(key.WriteDword("v", 1));
    EXPECT_FALSE(key.WriteString("v", "x", 2));
    EXPECT_FALSE(key.WriteText("v", "x"));
    EXPECT_FALSE(key.DeleteValue("v"));
    EXPECT_FALSE(key.QueryInfo(keyInfo));
    EXPECT_FALSE(key.EnumValue(0, value));
    EXPECT_EQ(key.GetLastResult(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(text, WString("unchanged"));
    EXPECT_EQ(number, 42u);
    key.Close(); // harmless
}

// Every stored form a value can take, and what each read makes of it.
struct ReadCase {
    const char* label;
    DWORD type;
    std::string stored;
    std::string text;  // ReadText
    bool dwordOk;      // ReadDword
    DWORD dword;
    LONG dwordError;
};

TEST_F(RegistryKeyTest, ReadsEveryStoredFormWithinItsData)
{
    const ReadCase cases[] = {
        {"dword", REG_DWORD, DwordBytes(0x12345678), "\x78\x56\x34\x12", true, 0x12345678, ERROR_SUCCESS},
        {"negative dword", REG_DWORD, DwordBytes(0xFFFFFFFE), "\xFE\xFF\xFF\xFF", true, 0xFFFFFFFE, ERROR_SUCCESS},
        {"dword of two bytes", REG_DWORD, std::string("\x05\x01", 2), "\x05\x01", false, 0, ERROR_INVALID_DATA},
        {"dword of no bytes", REG_DWORD, std::string(), "", false, 0, ERROR_INVALID_DATA},
        {"dword of eight bytes", REG_DWORD, std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8), "\x01", false, 0,
         ERROR_INVALID_DATA},
        {"big-endian dword", REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x00\x07", 4), "", false, 0,
         ERROR_UNSUPPORTED_TYPE},
        {"text", REG_SZ, Bytes("Hallo"), "Hallo", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"text of four bytes", REG_SZ, Bytes("abc"), "abc", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"text without NUL", REG_SZ, "abc", "abc", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"empty text", REG_SZ, Bytes(""), "", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"text of no bytes", REG_SZ, std::string(), "", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"umlauts", REG_SZ, Bytes("\xE4\xF6\xFC\xC4\xD6\xDC\xDF"), "\xE4\xF6\xFC\xC4\xD6\xDC\xDF", false, 0,
         ERROR_UNSUPPORTED_TYPE},
        {"binary with NUL inside", REG_BINARY, std::string("bin\0tail", 8), "bin", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"binary without NUL", REG_BINARY, "TRUE", "TRUE", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"multi text", REG_MULTI_SZ, std::string("one\0two\0\0", 9), "one", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"expandable text", REG_EXPAND_SZ, Bytes("%PATH%"), "%PATH%", false, 0, ERROR_UNSUPPORTED_TYPE},
        {"1 MB text", REG_SZ, OneMegabyteText, std::string(1 << 20, 'x'), false, 0, ERROR_UNSUPPORTED_TYPE},
        {"1 MB binary", REG_BINARY, std::string(1 << 20, '\x7F'), std::string(1 << 20, '\x7F'), false, 0,
         ERROR_UNSUPPORTED_TYPE},
        {"1 MB dword", REG_DWORD, std::string(1 << 20, '\x01'), std::string(1 << 20, '\x01'), false, 0,
         ERROR_INVALID_DATA},
    };
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ));
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(SetRaw(scratch.Handle(), "v", c.type, c.stored), ERROR_SUCCESS);

        WRegistryKey::ValueInfo info;
        ASSERT_TRUE(key.QueryValueInfo("v", info));
        EXPECT_EQ(info.type, c.type);

        WRegistryKey::Value value;
        ASSERT_TRUE(key.ReadValue("v", value));
        EXPECT_EQ(value.type, c.type);
        const std::string data = DataOf(value);
        if (c.type == REG_SZ && c.stored.find('\0') == std::string::npos)
            EXPECT_TRUE(data == c.stored || data == c.stored + '\0') << "Wine hands such a text back with a NUL";
        else
            EXPECT_EQ(data, c.stored);
        EXPECT_EQ(value.Text().str(), c.text);

        WString text("before");
        ASSERT_TRUE(key.ReadText("v", text));
        EXPECT_EQ(text.str(), c.text);

        DWORD number = 0xDEADBEEF;
        EXPECT_EQ(key.ReadDword("v", number), c.dwordOk);
        EXPECT_EQ(key.GetLastResult(), c.dwordError);
        EXPECT_EQ(number, c.dwordOk ? c.dword : 0xDEADBEEF);
    }
}

TEST_F(RegistryKeyTest, AMissingValueLeavesEveryOutputAlone)
{
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ));
    WRegistryKey::Value value;
    value.type = REG_BINARY;
    value.data = {1, 2};
    WString text("before");
    DWORD number = 9;
    EXPECT_FALSE(key.HasValue("missing"));
    EXPECT_EQ(key.GetLastResult(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.ReadValue("missing", value));
    EXPECT_FALSE(key.ReadText("missing", text));
    EXPECT_FALSE(key.ReadDword("missing", number));
    EXPECT_EQ(key.GetLastResult(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(value.data.size(), 2u);
    EXPECT_EQ(text, WString("before"));
    EXPECT_EQ(number, 9u);
}

TEST_F(RegistryKeyTest, ACallerLimitRefusesBigValuesWithoutReadingThem)
{
    ASSERT_EQ(SetRaw(scratch.Handle(), "big", REG_SZ, OneMegabyteText), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(scratch.Handle(), "small", REG_SZ, Bytes("ok")), ERROR_SUCCESS);
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ));
    WString text("before");
    EXPECT_FALSE(key.ReadText("big", text, 4096));
    EXPECT_EQ(key.GetLastResult(), ERROR_MORE_DATA);
    EXPECT_EQ(text, WString("before"));
    EXPECT_TRUE(key.ReadText("small", text, 3));
    EXPECT_EQ(text, WString("ok"));
    EXPECT_FALSE(key.ReadText("small", text, 2));
}

TEST_F(RegistryKeyTest, WritesTheDocumentedBytes)
{
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_ALL_ACCESS));
    EXPECT_TRUE(key.WriteDword("dword", 0x01020304));
    EXPECT_TRUE(key.WriteDword("minus one", static_cast<DWORD>(-1)));
    EXPECT_TRUE(key.WriteText("text", "Gr\xFC\xDF" "e"));
    EXPECT_TRUE(key.WriteText("empty", ""));
    EXPECT_TRUE(key.WriteString("given length", "TRUEjunk", 4));
    EXPECT_TRUE(key.WriteString("nothing", nullptr, 0));
    EXPECT_FALSE(key.WriteString("bad", nullptr, 3));
    EXPECT_EQ(key.GetLastResult(), ERROR_INVALID_PARAMETER);

    const std::map<std::string, std::pair<DWORD, std::string>> expected = {
        {"dword", {REG_DWORD, std::string("\x04\x03\x02\x01", 4)}},
        {"minus one", {REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4)}},
        {"text", {REG_SZ, Bytes("Gr\xFC\xDF" "e")}},
        {"empty", {REG_SZ, std::string(1, '\0')}},
    };
    for (const auto& [name, typeAndBytes] : expected) {
        SCOPED_TRACE(name);
        const RawValue raw = GetRaw(scratch.Handle(), name.c_str());
        ASSERT_TRUE(raw.exists);
        EXPECT_EQ(raw.type, typeAndBytes.first);
        EXPECT_EQ(raw.bytes, typeAndBytes.second);
    }
    const RawValue given = GetRaw(scratch.Handle(), "given length");
    EXPECT_EQ(given.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(given.bytes.substr(0, 4), "TRUE");
    EXPECT_LE(given.bytes.size(), 5u); // Wine adds a NUL to a text stored without one
    EXPECT_FALSE(GetRaw(scratch.Handle(), "bad").exists);
}

TEST_F(RegistryKeyTest, EnumeratesEveryValueWithItsNameTypeAndData)
{
    const std::map<std::string, std::pair<DWORD, std::string>> stored = {
        {"a", {REG_SZ, Bytes("first")}},
        {"history_entry_00000", {REG_SZ, Bytes("")}},
        {std::string(200, 'n'), {REG_BINARY, std::string("\x00\x01", 2)}},
        {"big", {REG_SZ, OneMegabyteText}},
        {"number", {REG_DWORD, DwordBytes(65)}},
    };
    for (const auto& [name, typeAndBytes] : stored)
        ASSERT_EQ(SetRaw(scratch.Handle(), name.c_str(), typeAndBytes.first, typeAndBytes.second), ERROR_SUCCESS);

    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_ALL_ACCESS));
    WRegistryKey::KeyInfo info;
    ASSERT_TRUE(key.QueryInfo(info));
    EXPECT_EQ(info.valueCount, stored.size());
    EXPECT_EQ(info.longestValueName, 200u);
    EXPECT_GE(info.longestValueData, OneMegabyteText.size());

    std::map<std::string, std::pair<DWORD, std::string>> seen;
    WRegistryKey::Value value;
    DWORD index = 0;
    for (; index < 100 && key.EnumValue(index, value); ++index)
        seen[value.name.str()] = {value.type, DataOf(value)};
    EXPECT_EQ(key.GetLastResult(), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(index, stored.size());
    EXPECT_EQ(seen, stored);
    EXPECT_EQ(seen["number"].second.size(), 4u);
}

TEST_F(RegistryKeyTest, EnumerationSkipsPastAValueOverTheCallersLimit)
{
    ASSERT_EQ(SetRaw(scratch.Handle(), "big", REG_SZ, OneMegabyteText), ERROR_SUCCESS);
    ASSERT_EQ(SetRaw(scratch.Handle(), "small", REG_SZ, Bytes("ok")), ERROR_SUCCESS);
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ));
    std::map<std::string, LONG> results;
    WRegistryKey::Value value;
    for (DWORD index = 0; index < 2; ++index) {
        const bool ok = key.EnumValue(index, value, 100);
        results[ok ? value.name.str() : "refused"] = key.GetLastResult();
    }
    EXPECT_EQ(results.size(), 2u);
    EXPECT_EQ(results["refused"], ERROR_MORE_DATA);
    EXPECT_EQ(results["small"], ERROR_SUCCESS);
    EXPECT_FALSE(key.EnumValue(2, value, 100));
    EXPECT_EQ(key.GetLastResult(), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryKeyTest, DeletesValuesUntilNoneIsLeft)
{
    for (const char* name : {"one", "two", "three"})
        ASSERT_EQ(SetRaw(scratch.Handle(), name, REG_SZ, Bytes(name)), ERROR_SUCCESS);
    WRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_ALL_ACCESS));
    EXPECT_FALSE(key.DeleteValue("missing"));
    EXPECT_EQ(key.GetLastResult(), ERROR_FILE_NOT_FOUND);

    WRegistryKey::Value value;
    int deleted = 0;
    while (deleted < 10 && key.EnumValue(0, value) && key.DeleteValue(value.name.c_str()))
        ++deleted;
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(ValueCount(scratch.Handle()), 0u);
}
