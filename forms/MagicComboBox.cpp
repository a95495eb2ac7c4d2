#include "MagicComboBox.h"

#include "HistoryRules.h"
#include "WEventData.h"
#include "WRegistryKey.h"

namespace {
// Full access, as the history key is emptied and rewritten through the same handle.
constexpr REGSAM kHistoryKeyAccess = KEY_ALL_ACCESS;

// The key's second name: the same followed by one backslash.
WString SecondKeyName(const WString& name)
{
    return name + WString("\\");
}

bool CreateHistoryKey(WRegistryKey& key, HKEY root, const WString& name)
{
    return key.Create(root, name.c_str()) || key.Create(root, SecondKeyName(name).c_str());
}

bool OpenHistoryKey(WRegistryKey& key, HKEY root, const WString& name)
{
    return key.Open(root, name.c_str(), kHistoryKeyAccess)
        || key.Open(root, SecondKeyName(name).c_str(), kHistoryKeyAccess);
}

void DeleteAllValues(WRegistryKey& key)
{
    WRegistryKey::KeyInfo info;
    if (!key.QueryInfo(info)) return;
    HistoryRules::DeleteAllValues(
        [&key](std::size_t index, WString& name) { return key.EnumValueName(static_cast<DWORD>(index), name); },
        [&key](const WString& name) { return key.DeleteValue(name.c_str()); }, info.valueCount);
}
} // namespace

MagicComboBox::MagicComboBox()
{
    Connect(WEventId::Change, this, WHandler(&MagicComboBox::OnTextChange));
}

MagicComboBox::~MagicComboBox()
{
    DetachEditField();
}

bool MagicComboBox::Attach(HWND handle)
{
    if (!WComboBox::Attach(handle)) return false;
    if (autoComplete || editFieldHook) AttachEditField();
    return true;
}

bool MagicComboBox::AttachEditField()
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    HWND edit = GetComboBoxInfo(GetHandle(), &info) ? info.hwndItem : nullptr;
    if (!edit) edit = FindWindowExA(GetHandle(), nullptr, "Edit", nullptr);
    if (!edit) return false; // a drop-down list has no edit field

    auto field = std::make_unique<ComboTextBox>();
    if (!field->Attach(edit)) return false;
    field->Connect(WEventId::KeyDown, this, WHandler(&MagicComboBox::OnEditFieldKeyDown));
    editField_ = std::move(field);
    return true;
}

void MagicComboBox::DetachEditField()
{
    if (!editField_) return;
    editField_->Disconnect(WEventId::KeyDown, this, WHandler(&MagicComboBox::OnEditFieldKeyDown));
    editField_.reset();
}

bool MagicComboBox::OnEditFieldKeyDown(WObject*, WEventData* data)
{
    const UINT key = static_cast<WKeyEventData*>(data)->virtualKey;
    completionAllowed = key != VK_DELETE && key != VK_BACK;
    if (key == VK_RETURN) ConfirmEditText();
    return RaiseEvent(WEventId::KeyDown, data);
}

bool MagicComboBox::OnTextChange(WObject*, WEventData*)
{
    if (autoComplete && completionAllowed) CompleteEditText();
    return false;
}

void MagicComboBox::CompleteEditText()
{
    const WString typed = GetText();
    HistoryRules::Selection before{0, 0};
    GetEditSelection(before.start, before.end);
    const int index = HistoryRules::CompletionIndex(GetItems(), typed);
    if (index < 0) return;
    SetSelectedIndex(index); // the edit field shows the whole item
    const HistoryRules::Selection after =
        HistoryRules::SelectionAfterCompletion(static_cast<int>(typed.GetLength()), before);
    SetEditSelection(after.start, after.end);
}

std::vector<WString> MagicComboBox::GetItems() const
{
    std::vector<WString> items;
    const int count = GetItemCount();
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) items.push_back(GetItemText(i));
    return items;
}

bool MagicComboBox::AddSentText(const WString& text)
{
    if (!HistoryRules::AddsAfterSend(GetItems(), text)) return false;
    return AddItem(text) >= 0;
}

void MagicComboBox::ConfirmEditText()
{
    completionAllowed = true;
    const WString text = GetText();
    if (addOnEnter && HistoryRules::AddsOnEnter(GetItems(), text)) AddItem(text);
    SetEditSelection(0, -1);
}

void MagicComboBox::ClearHistory()
{
    if (editField_ && editField_->GetHandle()) {
        editField_->SetText(WString());
    } else {
        SetText(WString());
    }
    for (int i = GetItemCount() - 1; i >= 0; --i) DeleteItem(i);
}

bool MagicComboBox::SaveHistory(HKEY root, const WString& name, unsigned maximum)
{
    WRegistryKey key;
    if (!CreateHistoryKey(key, root, name)) return false;
    DeleteAllValues(key);
    const int itemCount = GetItemCount();
    const unsigned count = HistoryRules::SavedEntryCount(static_cast<unsigned>(itemCount), maximum);
    for (unsigned i = 0; i < count; ++i) {
        if (!key.WriteText(HistoryRules::EntryValueName(i).c_str(), GetItemText(static_cast<int>(i)))) return false;
    }
    return true;
}

bool MagicComboBox::LoadHistory(HKEY root, const WString& name)
{
    WRegistryKey key;
    if (!OpenHistoryKey(key, root, name)) return false;
    // With room for the zero byte that ends a text of the longest length.
    constexpr DWORD maxDataBytes = static_cast<DWORD>(HistoryRules::MaxEntryLength + 1);
    WRegistryKey::Value value;
    for (DWORD index = 0; index < HistoryRules::MaxLoadedValues; ++index) {
        if (!key.EnumValue(index, value, maxDataBytes)) {
            if (key.GetLastResult() == ERROR_MORE_DATA) continue; // too big: skipped
            break;
        }
        const WString text = value.Text();
        if (HistoryRules::LoadsEntry(text)) AddItem(text);
    }
    return true;
}
