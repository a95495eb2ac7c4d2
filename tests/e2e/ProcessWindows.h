#pragma once
// The top-level windows of another process: its main window and dialogs by
// caption, and its message boxes (class #32770 with the text in item 0xFFFF).
#include <windows.h>

#include <string>
#include <vector>

#include "ForeignWindow.h"

class ProcessWindows {
public:
    struct MessageBoxText {
        ForeignWindow window;
        std::string caption;
        std::string text;
    };

    explicit ProcessWindows(DWORD processId) : processId_(processId) {}

    // A visible top-level window of the process with this caption.
    ForeignWindow Find(const std::string& caption) const;
    // Waits until that window is visible, has made its control lastControlId
    // and answers messages. Empty on time-out.
    ForeignWindow WaitFor(const std::string& caption, int lastControlId, DWORD timeoutMs) const;
    // Waits until no visible window of the process has this caption.
    bool WaitUntilGone(const std::string& caption, DWORD timeoutMs) const;

    // The message boxes the process shows now.
    std::vector<MessageBoxText> MessageBoxes() const;
    // Waits for a message box; false on time-out.
    bool WaitForMessageBox(MessageBoxText& box, DWORD timeoutMs) const;
    // Presses OK in a message box.
    static void Answer(const MessageBoxText& box);

private:
    std::vector<HWND> VisibleTopLevel() const;

    DWORD processId_;
};
