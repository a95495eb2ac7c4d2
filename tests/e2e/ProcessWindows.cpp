#include "ProcessWindows.h"

#include "Waiting.h"

namespace {
struct Collect {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto* collect = reinterpret_cast<Collect*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == collect->processId && IsWindowVisible(window)) collect->windows.push_back(window);
    return TRUE;
}
} // namespace

std::vector<HWND> ProcessWindows::VisibleTopLevel() const
{
    Collect collect{processId_, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&collect));
    return collect.windows;
}

ForeignWindow ProcessWindows::Find(const std::string& caption) const
{
    for (HWND window : VisibleTopLevel()) {
        ForeignWindow candidate(window);
        if (candidate.Text() == caption) return candidate;
    }
    return ForeignWindow();
}

ForeignWindow ProcessWindows::WaitFor(const std::string& caption, int lastControlId, DWORD timeoutMs) const
{
    ForeignWindow found;
    // FindWindow can see a dialog before it has made its controls.
    WaitUntil(
        [&] {
            found = Find(caption);
            return found && found.Item(lastControlId) && found.Answers();
        },
        timeoutMs, 20);
    return found && found.Item(lastControlId) ? found : ForeignWindow();
}

bool ProcessWindows::WaitUntilGone(const std::string& caption, DWORD timeoutMs) const
{
    return WaitUntil([&] { return !Find(caption); }, timeoutMs, 20);
}

std::vector<ProcessWindows::MessageBoxText> ProcessWindows::MessageBoxes() const
{
    std::vector<MessageBoxText> boxes;
    for (HWND window : VisibleTopLevel()) {
        ForeignWindow candidate(window);
        ForeignWindow text = candidate.Item(0xFFFF);
        if (candidate.ClassName() != "#32770" || !text) continue;
        boxes.push_back({candidate, candidate.Text(), text.Text()});
    }
    return boxes;
}

bool ProcessWindows::WaitForMessageBox(MessageBoxText& box, DWORD timeoutMs) const
{
    return WaitUntil(
        [&] {
            const std::vector<MessageBoxText> boxes = MessageBoxes();
            if (boxes.empty()) return false;
            box = boxes.front();
            return true;
        },
        timeoutMs, 20);
}

void ProcessWindows::Answer(const MessageBoxText& box)
{
    PostMessageA(box.window.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
