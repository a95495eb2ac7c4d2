// The send history's rules: when a text joins the list, which item completes a
// typed text, what is saved, what is loaded, and emptying a key that holds a
// value that will not go.
#include "HistoryRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::vector<WString> kItems = {"Hello World", "AT+CGMI", "[abc]", "\xC4nderung"}; // Änderung

struct AddCase {
    const char* text;
    bool addsAfterSend;
    bool addsOnEnter;
};

class AddRules : public testing::TestWithParam<AddCase> {};

TEST_P(AddRules, PrefixAfterSendEqualityOnEnterLetterCaseIgnored)
{
    const AddCase& c = GetParam();
    EXPECT_EQ(HistoryRules::AddsAfterSend(kItems, c.text), c.addsAfterSend);
    EXPECT_EQ(HistoryRules::AddsOnEnter(kItems, c.text), c.addsOnEnter);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddRules,
    testing::Values(AddCase{"", false, false},                   // empty: never
                    AddCase{"hello", false, true},               // beginning of an item
                    AddCase{"HELLO WORLD", false, false},        // equal, other case
                    AddCase{"hello world!", true, true},         // longer than every item
                    AddCase{"at+cgmi", false, false},            //
                    AddCase{"abc", true, true},                  // inside brackets is not a beginning
                    AddCase{"\xE4nd", false, true},              // "änd" begins "Änderung"
                    AddCase{"\xE4NDERUNG", false, false},        // "äNDERUNG" equals it
                    AddCase{"World", true, true}));              // not at the beginning

TEST(HistoryRules, CompletionTakesTheFirstItemThatBeginsWithTheText)
{
    const std::vector<WString> items = {"ATZ", "atd123", "ATD456"};
    EXPECT_EQ(HistoryRules::CompletionIndex(items, "a"), 0);
    EXPECT_EQ(HistoryRules::CompletionIndex(items, "AtD"), 1);
    EXPECT_EQ(HistoryRules::CompletionIndex(items, "atd4"), 2);
    EXPECT_EQ(HistoryRules::CompletionIndex(items, "x"), -1);
    EXPECT_EQ(HistoryRules::CompletionIndex(items, ""), -1); // nothing typed: nothing to complete
    EXPECT_EQ(HistoryRules::CompletionIndex({}, "a"), -1);
}

TEST(HistoryRules, CompletionSelectsTheRestOnlyWhenTheCaretWasAtTheEndOfTheTypedText)
{
    using S = HistoryRules::Selection;
    const S atEnd = HistoryRules::SelectionAfterCompletion(2, S{2, 2});
    EXPECT_EQ(atEnd.start, 2);
    EXPECT_EQ(atEnd.end, -1);
    const S inside = HistoryRules::SelectionAfterCompletion(3, S{1, 1});
    EXPECT_EQ(inside.start, 1);
    EXPECT_EQ(inside.end, 1);
}

TEST(HistoryRules, SavesTheFirstEntriesUnderNumberedNames)
{
    EXPECT_EQ(HistoryRules::EntryValueName(0).str(), "history_entry_00000");
    EXPECT_EQ(HistoryRules::EntryValueName(9).str(), "history_entry_00009");
    EXPECT_EQ(HistoryRules::EntryValueName(123456).str(), "history_entry_123456");
    EXPECT_EQ(HistoryRules::SavedEntryCount(3, 10), 3u);
    EXPECT_EQ(HistoryRules::SavedEntryCount(11, 10), 10u);
    EXPECT_EQ(HistoryRules::SavedEntryCount(5, 0), 0u);
}

TEST(HistoryRules, LoadsNonEmptyTextsUpToTheEntryLimit)
{
    EXPECT_FALSE(HistoryRules::LoadsEntry(""));
    EXPECT_TRUE(HistoryRules::LoadsEntry("x"));
    EXPECT_TRUE(HistoryRules::LoadsEntry(std::string(HistoryRules::MaxEntryLength, 'x')));
    EXPECT_FALSE(HistoryRules::LoadsEntry(std::string(HistoryRules::MaxEntryLength + 1, 'x')));
}

// A registry key as a list of value names in enumeration order; some names
// refuse to go, and some are reported deleted but stay.
struct FakeKey {
    std::vector<std::string> values;
    std::vector<std::string> refused;
    std::vector<std::string> stubborn;
    int enumerations = 0;

    static bool Contains(const std::vector<std::string>& names, const std::string& name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    std::size_t DeleteAll()
    {
        return HistoryRules::DeleteAllValues(
            [this](std::size_t index, WString& name) {
                ++enumerations;
                if (index >= values.size()) return false;
                name = values[index];
                return true;
            },
            [this](const WString& name) {
                if (Contains(refused, name.str())) return false;
                if (Contains(stubborn, name.str())) return true;
                values.erase(std::find(values.begin(), values.end(), name.str()));
                return true;
            },
            values.size());
    }
};

TEST(HistoryRules, DeletesEveryValueOfAnyName)
{
    FakeKey key{{"history_entry_00000", "foreign", "history_entry_00001"}, {}, {}};
    EXPECT_EQ(key.DeleteAll(), 0u);
    EXPECT_TRUE(key.values.empty());
}

TEST(HistoryRules, AValueThatCannotBeDeletedEndsTheLoopAndTheOthersStillGo)
{
    FakeKey key{{"stuck", "a", "b"}, {"stuck"}, {}};
    EXPECT_EQ(key.DeleteAll(), 1u);
    EXPECT_EQ(key.values, std::vector<std::string>{"stuck"});
}

TEST(HistoryRules, AValueReportedDeletedThatStaysEndsTheLoop)
{
    FakeKey key{{"a", "ghost", "b", "ghost2"}, {}, {"ghost", "ghost2"}};
    EXPECT_EQ(key.DeleteAll(), 2u);
    EXPECT_EQ(key.values, (std::vector<std::string>{"ghost", "ghost2"}));
    EXPECT_LT(key.enumerations, 20);
}

TEST(HistoryRules, DeletingIsBoundedEvenWhenValuesKeepComingBack)
{
    // Every delete succeeds, but another value takes its place at once.
    int rounds = 0;
    const std::size_t left = HistoryRules::DeleteAllValues(
        [&rounds](std::size_t, WString& name) {
            name = WString::Format("v%d", rounds);
            return true;
        },
        [&rounds](const WString&) {
            ++rounds;
            return true;
        },
        3);
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(rounds, static_cast<int>(3 + HistoryRules::ExtraDeleteRounds));
}

} // namespace
