// The receive formatter: ASCII and HEX display rules, the mode switch, and
// that the way the bytes are cut into blocks does not change the text.
#include "ReceiveFormatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Feed(ReceiveFormatter& formatter, const std::string& bytes)
{
    return formatter.Format(reinterpret_cast<const unsigned char*>(bytes.data()),
                            static_cast<int32_t>(bytes.size())).str();
}

ReceiveFormatter InHexMode()
{
    ReceiveFormatter formatter;
    EXPECT_EQ(formatter.ToggleHexMode().str(), "RS-232 Kommunikation (HEX-Mode)\r\n");
    return formatter;
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

struct AsciiCase {
    const char* name;
    std::string received;
    std::string shown;
    int32_t column;
    bool afterCR;
};

class AsciiRules : public testing::TestWithParam<AsciiCase> {};

TEST_P(AsciiRules, FromLineStart)
{
    const AsciiCase& c = GetParam();
    ReceiveFormatter formatter;
    EXPECT_EQ(Feed(formatter, c.received), c.shown);
    EXPECT_EQ(formatter.GetColumn(), c.column);
    EXPECT_EQ(formatter.IsAfterCR(), c.afterCR);
    EXPECT_TRUE(formatter.GetAsciiText().IsEmpty());
    EXPECT_FALSE(formatter.IsHexMode());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsciiRules,
    testing::Values(
        AsciiCase{"CrLfEndsTheLine", "AB\r\nD", "\r\nAB\r\nD", 2, false},
        AsciiCase{"BreakAfter80", Repeat('x', 81), "\r\n" + Repeat('x', 80) + "\r\n" + "x", 1, false},
        AsciiCase{"LfAfterCrLfRestartsToo", "x\r\n\n", "\r\nx\r\n\n", 1, true},
        AsciiCase{"LfAloneDoesNotRestart", "x\ny", "\r\nx\ny", 3, false},
        AsciiCase{"ZeroCountedNotShown", std::string("x\0y", 3), "\r\nxy", 3, false},
        AsciiCase{"ZeroFirst", std::string("\0", 1), "\r\n", 1, false},
        AsciiCase{"HighBytesUnchanged", "\x7F\x80\xF6\xFF\x01\x1B", "\r\n\x7F\x80\xF6\xFF\x01\x1B", 6, false},
        // A CR that falls on a line start is not remembered, so its LF does not restart the count.
        AsciiCase{"CrAtLineStart", Repeat('x', 80) + "\r\n", "\r\n" + Repeat('x', 80) + "\r\n\r\n", 2, false}),
    [](const testing::TestParamInfo<AsciiCase>& info) { return std::string(info.param.name); });

TEST(AsciiRulesLong, ThousandBytesBreakEvery80)
{
    ReceiveFormatter formatter;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        if (i % 80 == 0)
            expected += "\r\n";
        expected += 'x';
    }
    EXPECT_EQ(Feed(formatter, Repeat('x', 1000)), expected);
    EXPECT_EQ(formatter.GetColumn(), 40);
}

// HEX mode, one byte at a time: what each byte adds to the log and the
// character column left open afterwards.
struct HexStep {
    unsigned char byte;
    std::string shown;
    std::string openColumn;
};

void ExpectSteps(ReceiveFormatter& formatter, const std::vector<HexStep>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("byte " + std::to_string(i));
        EXPECT_EQ(formatter.Format(&steps[i].byte, 1).str(), steps[i].shown);
        EXPECT_EQ(formatter.GetAsciiText().str(), steps[i].openColumn);
    }
}

TEST(HexRules, HelloCrLfThenNineMoreBytes)
{
    ReceiveFormatter formatter = InHexMode();
    ExpectSteps(formatter, {
        {'H', "  \r\n48 ", "H"},  {'e', "65 ", "He"},     {'l', "6C ", "Hel"},     {'l', "6C ", "Hell"},
        {'o', "6F ", "Hello"},    {0x0D, "0D ", "Hello."}, {0x0A, "0A ", "Hello.."},
        {'1', "31 ", "Hello..1"}, {'2', "32 ", "Hello..12"}, {'3', "33 ", "Hello..123"},
        {'4', "34 ", "Hello..1234"}, {'5', "35 ", "Hello..12345"}, {'6', "36 ", "Hello..123456"},
        {'7', "37 ", "Hello..1234567"}, {'8', "38 ", "Hello..12345678"}, {'9', "39 ", "Hello..123456789"},
        {'Z', "  Hello..123456789\r\n5A ", "Z"},
    });
    EXPECT_EQ(formatter.GetColumn(), 1);
}

TEST(HexRules, CharacterColumnShowsOnlyPrintableAscii)
{
    ReceiveFormatter formatter = InHexMode();
    ExpectSteps(formatter, {
        {0x00, "  \r\n00 ", "."}, {0x1F, "1F ", ".."}, {0x20, "20 ", ".. "}, {0x7E, "7E ", ".. ~"},
        {0x7F, "7F ", ".. ~."}, {0x80, "80 ", ".. ~.."}, {0xF6, "F6 ", ".. ~..."}, {0xFF, "FF ", ".. ~...."},
    });
    for (int first = 0x80; first <= 0xF0; first += 16) {
        ReceiveFormatter line = InHexMode();
        std::string bytes;
        for (int b = first; b < first + 16; ++b)
            bytes += static_cast<char>(b);
        Feed(line, bytes);
        EXPECT_EQ(line.GetAsciiText().str(), Repeat('.', 16)) << "bytes from " << first;
    }
}

TEST(HexRules, CountStaysWithinALineHoweverLongTheDump)
{
    ReceiveFormatter formatter = InHexMode();
    Feed(formatter, Repeat('a', 1000));
    EXPECT_EQ(formatter.GetColumn(), 8);
    EXPECT_EQ(formatter.GetAsciiText().str(), Repeat('a', 8));
}

TEST(ModeSwitch, HexToAsciiPutsPendingCharactersInFrontOfTheNextText)
{
    ReceiveFormatter formatter = InHexMode();
    EXPECT_EQ(Feed(formatter, "ABCDE"), "  \r\n41 42 43 44 45 ");
    EXPECT_EQ(formatter.ToggleHexMode().str(), "RS-232 Kommunikation (ASCII-Mode)\r\n");
    EXPECT_FALSE(formatter.IsHexMode());
    EXPECT_EQ(formatter.GetColumn(), 0);
    EXPECT_EQ(formatter.GetAsciiText().str(), "ABCDE");
    EXPECT_EQ(Feed(formatter, "x"), "ABCDE\r\nx");
    EXPECT_TRUE(formatter.GetAsciiText().IsEmpty());
}

TEST(ModeSwitch, KeepsTheCrMemoryAndRestartsTheCount)
{
    ReceiveFormatter formatter;
    Feed(formatter, "ab\r");
    ASSERT_TRUE(formatter.IsAfterCR());
    formatter.ToggleHexMode();
    EXPECT_EQ(formatter.GetColumn(), 0);
    Feed(formatter, "1");
    formatter.ToggleHexMode();
    EXPECT_TRUE(formatter.IsAfterCR());
    EXPECT_EQ(Feed(formatter, "\n"), "1\r\n\n");
}

// "Ausgabefeld löschen" empties only the log: the open dump line continues.
TEST(ModeSwitch, ClearingTheLogInHexModeContinuesTheOpenLine)
{
    ReceiveFormatter formatter = InHexMode();
    Feed(formatter, "ABCDE");
    EXPECT_EQ(Feed(formatter, "F"), "46 ");
    EXPECT_EQ(Feed(formatter, "GHIJKLMNOP"), "47 48 49 4A 4B 4C 4D 4E 4F 50 ");
    EXPECT_EQ(Feed(formatter, "Q"), "  ABCDEFGHIJKLMNOP\r\n51 ");
}

TEST(InvalidBlocks, NullPointerOrNegativeCountIsAnEmptyBlock)
{
    ReceiveFormatter formatter = InHexMode();
    Feed(formatter, "ABC");
    EXPECT_EQ(formatter.Format(nullptr, 5).str(), "");
    const unsigned char byte = 'x';
    EXPECT_EQ(formatter.Format(&byte, -1).str(), "");
    EXPECT_EQ(formatter.Format(&byte, INT32_MIN).str(), "");
    EXPECT_EQ(formatter.GetColumn(), 3);
    EXPECT_EQ(formatter.GetAsciiText().str(), "ABC");
    // In ASCII mode an empty block still hands out what a HEX line left.
    formatter.ToggleHexMode();
    EXPECT_EQ(formatter.Format(nullptr, 3).str(), "ABC");
    EXPECT_EQ(formatter.GetColumn(), 0);
}

// However the bytes are cut into blocks, the log gets the same text and the
// formatter ends in the same state.
class SplitInvariance : public testing::TestWithParam<bool> {};

TEST_P(SplitInvariance, EverySplitPositionGivesTheSameText)
{
    const bool hex = GetParam();
    static const char kLines[] = "Hello\r\n\r\n\nline\0two\r";
    const std::string data = std::string(kLines, sizeof kLines - 1) + Repeat('y', 90) + "\x7F\x80\xFF\r\n"
        + Repeat('z', 20);
    ReceiveFormatter reference;
    if (hex)
        reference.ToggleHexMode();
    Feed(reference, "pre"); // start from an open line
    const ReceiveFormatter start = reference;
    const std::string whole = Feed(reference, data);

    for (std::size_t split = 0; split <= data.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        ReceiveFormatter formatter = start;
        const std::string text = Feed(formatter, data.substr(0, split)) + Feed(formatter, data.substr(split));
        ASSERT_EQ(text, whole);
        EXPECT_EQ(formatter.GetColumn(), reference.GetColumn());
        EXPECT_EQ(formatter.GetAsciiText(), reference.GetAsciiText());
        EXPECT_EQ(formatter.IsAfterCR(), reference.IsAfterCR());
    }
    ReceiveFormatter byteByByte = start;
    std::string text;
    for (char c : data)
        text += Feed(byteByByte, std::string(1, c));
    EXPECT_EQ(text, whole);
}

INSTANTIATE_TEST_SUITE_P(Modes, SplitInvariance, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Hex" : "Ascii"; });

} // namespace
