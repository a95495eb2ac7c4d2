#pragma once
// Runs an action from a second thread as soon as a top-level window of this
// process with the given caption is shown: a test can fill in and close a
// modal dialog while the UI thread sits in the dialog's own message loop.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class WindowWaiter {
public:
    WindowWaiter(std::string caption, std::function<void(HWND)> action, DWORD timeoutMs = 10000)
        : caption_(std::move(caption)), action_(std::move(action)), timeoutMs_(timeoutMs),
          thread_([this] { Wait(); })
    {
    }
    ~WindowWaiter() { thread_.join(); }
    WindowWaiter(const WindowWaiter&) = delete;
    WindowWaiter& operator=(const WindowWaiter&) = delete;

    bool Found() const { return found_; }

    // A top-level window of this process with `caption`, or nullptr.
    static HWND FindOwn(const std::string& caption)
    {
        struct Search {
            const std::string* caption;
            HWND found;
        } search{&caption, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                char text[256] = {};
                SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
                if (process == GetCurrentProcessId() && IsWindowVisible(window) && *s->caption == text) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    void Wait()
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs_) {
            if (HWND window = FindOwn(caption_)) {
                Sleep(50); // let the dialog finish its creation
                found_ = true;
                action_(window);
                return;
            }
            Sleep(20);
        }
    }

    std::string caption_;
    std::function<void(HWND)> action_;
    DWORD timeoutMs_;
    std::atomic<bool> found_{false};
    std::thread thread_;
};
