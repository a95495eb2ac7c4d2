#pragma once
// The send combo box: an editable drop-down combo box whose list is a history
// of sent texts. While the user types, the edit field completes the text from
// the list; Enter in the edit field adds the text to the list; the list is
// saved to and loaded from a registry key of its own.
//
// Setting up (a form's creation): construct it, change the options if wanted,
// then Attach (or AttachDlgItem) the combo box window. Attaching takes over the
// edit field as a ComboTextBox when autoComplete or editFieldHook is set; from
// then on Enter in the field reaches this box instead of the form's default
// button. The list holds its items in insertion order (the box must not be
// sorted). KeyDownEvent of the edit field is raised again on this box after
// the box's own handling; a handler that returns true keeps the key from the
// edit field.
#include <windows.h>

#include <memory>
#include <vector>

#include "ComboTextBox.h"
#include "WComboBox.h"

class MagicComboBox : public WComboBox {
public:
    MagicComboBox();
    ~MagicComboBox() override;

    // Complete the typed text from the list.
    bool autoComplete = true;
    // Take over the edit field (needed for the Enter key).
    bool editFieldHook = true;
    // Enter in the edit field adds the text to the list.
    bool addOnEnter = true;
    // The last key pressed in the edit field allows completion (false after
    // Delete and Backspace).
    bool completionAllowed = false;

    // Take over the combo box window and, when autoComplete or editFieldHook
    // is set, its edit field.
    bool Attach(HWND handle) override;
    // The taken-over edit field; nullptr before Attach or without one.
    ComboTextBox* GetEditField() const { return editField_.get(); }

    // After a send: add `text` at the end unless it is empty or an item
    // begins with it (letter case ignored). True when it was added.
    bool AddSentText(const WString& text);
    // Enter in the edit field: allow completion, add the text of the edit
    // field unless it is empty, an item equals it (letter case ignored) or
    // addOnEnter is false, and select the whole text.
    void ConfirmEditText();
    // Empty the edit field and the list. The registry is not touched.
    void ClearHistory();

    // Write the first `maximum` items as "history_entry_00000", ... into the
    // key `name` below `root` (created if missing), after deleting every value
    // the key holds. True when the key was opened and every entry was written.
    bool SaveHistory(HKEY root, const WString& name, unsigned maximum);
    // Add the texts stored in the key `name` below `root` to the end of the
    // list, in the key's order: every value, whatever its name and type, as
    // its bytes up to the first zero byte; empty ones are skipped, and so are
    // values over HistoryRules::MaxEntryLength bytes. True when the key was
    // opened.
    bool LoadHistory(HKEY root, const WString& name);

private:
    bool AttachEditField();
    void DetachEditField();
    bool OnEditFieldKeyDown(WObject* source, WEventData* data);
    bool OnTextChange(WObject* source, WEventData* data);
    void CompleteEditText();
    std::vector<WString> GetItems() const;

    std::unique_ptr<ComboTextBox> editField_;
};
