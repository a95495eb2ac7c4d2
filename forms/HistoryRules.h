#pragma once
// The rules of the send history that do not depend on the window or the
// registry: when a text joins the list, which item completes a typed text,
// what is saved under which name, which stored values are taken back, and how
// a key is emptied without looping on a value that will not go.
//
// Texts are compared with letter case ignored (ASCII and CP1252 letters).
#include "WString.h"

#include <cstddef>
#include <functional>
#include <vector>

class HistoryRules {
public:
    // A loaded entry keeps at most this many bytes of text. Every text the user
    // can type fits (an edit field takes 30000 to 32767 characters by typing),
    // so whatever the program saved comes back whole; bigger values can only be
    // foreign and are skipped, not cut: a cut text was never sent.
    static constexpr std::size_t MaxEntryLength = 32767;
    // Loading looks at no more than this many values of the key (the program
    // itself saves ten), which bounds time and memory for a key full of
    // foreign values: at most MaxLoadedValues * MaxEntryLength bytes of text.
    static constexpr std::size_t MaxLoadedValues = 256;
    // Extra rounds allowed when emptying a key, beyond its value count at the
    // start, for values that appear meanwhile.
    static constexpr std::size_t ExtraDeleteRounds = 16;

    // Index of the first item that begins with `text`; -1 when there is none.
    static int FindFirstBeginningWith(const std::vector<WString>& items, const WString& text);
    // Index of the first item equal to `text`; -1 when there is none.
    static int FindFirstEqualTo(const std::vector<WString>& items, const WString& text);

    // After a send: a text joins the list when it is not empty and no item
    // begins with it.
    static bool AddsAfterSend(const std::vector<WString>& items, const WString& text);
    // Enter in the edit field: a text joins the list when it is not empty and
    // no item equals it.
    static bool AddsOnEnter(const std::vector<WString>& items, const WString& text);

    // The item that completes a typed text: the first one that begins with it;
    // -1 for an empty text (nothing to complete) or when there is none.
    static int CompletionIndex(const std::vector<WString>& items, const WString& typed);

    struct Selection {
        int start;
        int end; // -1: to the end of the text
    };
    // Selection in the edit field after completing: the completed rest, from
    // the typed length on, when the caret stood at the end of what was typed;
    // otherwise the selection the user had.
    static Selection SelectionAfterCompletion(int typedLength, Selection before);

    // Registry value name of list entry `index`: "history_entry_00000", ...
    static WString EntryValueName(unsigned index);
    // How many items are saved: the first ones, at most `maximum`.
    static unsigned SavedEntryCount(unsigned itemCount, unsigned maximum);
    // Whether a stored text is taken into the list.
    static bool LoadsEntry(const WString& text);

    // Delete every value of a key. `nameAt` gives the name of the value at an
    // enumeration index (false past the last one); `deleteValue` deletes a value
    // by name. Deleting shifts the next value down to the same index, so the
    // same index is deleted again and again; a value that stays there (the
    // deletion failed or had no effect) is stepped over, so the loop ends. It
    // runs at most `valueCount` + ExtraDeleteRounds rounds. Returns the number
    // of values that could not be deleted.
    using NameAtIndex = std::function<bool(std::size_t index, WString& name)>;
    using DeleteValueByName = std::function<bool(const WString& name)>;
    static std::size_t DeleteAllValues(const NameAtIndex& nameAt, const DeleteValueByName& deleteValue,
                                       std::size_t valueCount);
};
