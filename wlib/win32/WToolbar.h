#pragma once
// A toolbar at the top edge of a form, built from a toolbar description
// record in the program's resources. Raises ClickEvent with the command id
// of the pressed button.
#include <windows.h>

#include <commctrl.h>

#include "ToolbarRecord.h"
#include "WWindow.h"

class WToolbar : public WWindow {
public:
    ~WToolbar() override;

    // Create the toolbar window on `parent` and build it from the RCDATA
    // record `recordName` of `module`. A damaged record builds the part that
    // is sound; false when no toolbar window could be made.
    bool Create(const WWindow& parent, HINSTANCE module, const char* recordName);
    // Build from a record already read (images, then the entries).
    void Build(const ToolbarRecord& record, HINSTANCE module);

    int GetButtonCount() const;
    // The tip shown for the button with this command id; one tip per button,
    // replaced on every call.
    bool SetButtonTip(int commandId, const WString& tip);
    WString GetButtonTip(int commandId) const;

    void OnParentCommand(UINT notifyCode, int id) override;

private:
    void BuildImageList(const ToolbarRecord& record, HINSTANCE module);
    void AddImageRecord(const ToolbarRecord::ImageRecord& image, int width, int height, HINSTANCE module);
    void AddEntries(const ToolbarRecord& record);
    HWND GetTipWindow() const;

    HIMAGELIST images_ = nullptr;
};
