#pragma once
// A combo box control; raises ChangeEvent when the text of its edit field changes.
#include "WWindow.h"

class WComboBox : public WWindow {
public:
    int AddItem(const WString& text);        // at the end; its index, or -1
    int GetItemCount() const;
    WString GetItemText(int index) const;
    bool DeleteItem(int index);
    void DeleteAllItems();
    // -1 selects nothing. False when the index is not in the list.
    bool SetSelectedIndex(int index);
    int GetSelectedIndex() const;            // -1 when nothing is selected
    // First item, from `start` + 1 on (-1: from the first), that begins with
    // the text / equals it, letter case ignored; -1 when none.
    int FindPrefix(const WString& text, int start = -1) const;
    int FindExact(const WString& text, int start = -1) const;
    // Height of the box together with its dropped-down list, in pixels.
    void SetDroppedHeight(int pixels);
    // Selection in the edit field of an editable combo box.
    void SetEditSelection(int start, int end);
    void GetEditSelection(int& start, int& end) const;

    void OnParentCommand(UINT notifyCode, int id) override;
};
