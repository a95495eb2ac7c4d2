#include "HistoryRules.h"

int HistoryRules::FindFirstBeginningWith(const std::vector<WString>& items, const WString& text)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].StartsWithIgnoreCase(text)) return static_cast<int>(i);
    }
    return -1;
}

int HistoryRules::FindFirstEqualTo(const std::vector<WString>& items, const WString& text)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].EqualsIgnoreCase(text)) return static_cast<int>(i);
    }
    return -1;
}

bool HistoryRules::AddsAfterSend(const std::vector<WString>& items, const WString& text)
{
    return !text.IsEmpty() && FindFirstBeginningWith(items, text) < 0;
}

bool HistoryRules::AddsOnEnter(const std::vector<WString>& items, const WString& text)
{
    return !text.IsEmpty() && FindFirstEqualTo(items, text) < 0;
}

int HistoryRules::CompletionIndex(const std::vector<WString>& items, const WString& typed)
{
    // Every item begins with the empty text; completing it would bring back a
    // whole entry the user has just removed.
    if (typed.IsEmpty()) return -1;
    return FindFirstBeginningWith(items, typed);
}

HistoryRules::Selection HistoryRules::SelectionAfterCompletion(int typedLength, Selection before)
{
    if (typedLength <= before.end) return Selection{typedLength, -1};
    return before;
}

WString HistoryRules::EntryValueName(unsigned index)
{
    return WString::Format("history_entry_%.5u", index);
}

unsigned HistoryRules::SavedEntryCount(unsigned itemCount, unsigned maximum)
{
    return itemCount < maximum ? itemCount : maximum;
}

bool HistoryRules::LoadsEntry(const WString& text)
{
    return !text.IsEmpty() && text.GetLength() <= MaxEntryLength;
}

std::size_t HistoryRules::DeleteAllValues(const NameAtIndex& nameAt, const DeleteValueByName& deleteValue,
                                          std::size_t valueCount)
{
    const std::size_t maxRounds = valueCount + ExtraDeleteRounds;
    std::size_t index = 0; // values below this index would not go
    WString name;
    for (std::size_t round = 0; round < maxRounds && nameAt(index, name); ++round) {
        if (!deleteValue(name)) {
            ++index;
            continue;
        }
        WString next;
        if (nameAt(index, next) && next == name) ++index; // reported gone, but still there
    }
    return index;
}
