#pragma once
// Answers the message boxes of this process from a second thread: each box
// that appears is recorded (caption and text) and closed with OK, so a test
// can drive code that shows a modal box without blocking.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MessageBoxWatcher {
public:
    struct Box {
        std::string caption;
        std::string text;
    };

    MessageBoxWatcher() : thread_([this] { Watch(); }) {}
    ~MessageBoxWatcher()
    {
        stop_ = true;
        thread_.join();
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<Box> Boxes() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    std::size_t Count() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_.size();
    }

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        reinterpret_cast<MessageBoxWatcher*>(self)->Consider(window);
        return TRUE;
    }

    void Consider(HWND window)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return;
        char className[32] = {};
        GetClassNameA(window, className, sizeof(className));
        HWND textItem = GetDlgItem(window, 0xFFFF);
        if (std::string(className) != "#32770" || !textItem) return;
        for (HWND seen : answered_) {
            if (seen == window) return;
        }
        Box box;
        char buffer[1024] = {};
        SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
        box.caption = buffer;
        buffer[0] = '\0';
        SendMessageA(textItem, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
        box.text = buffer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(box);
        }
        answered_.push_back(window);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    void Watch()
    {
        while (!stop_) {
            EnumWindows(&MessageBoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<HWND> answered_;
    std::thread thread_;
};
