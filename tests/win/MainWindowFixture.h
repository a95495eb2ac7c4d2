#pragma once
// A fixture that starts the program's main window in this test process, with
// the registry redirected to scratch keys, and drives it with messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

#include "Form1.h"
#include "RegistrySandbox.h"
#include "WApplication.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        sandbox_ = std::make_unique<RegistrySandbox>(std::string(info->test_suite_name()) + "." + info->name());
        ASSERT_TRUE(sandbox_->Ok());
    }

    void TearDown() override
    {
        if (GetMainWindow()) End();
        sandbox_.reset();
    }

    // Creates the main window as the start handler does.
    Form1* Start()
    {
        Form1* form = CreateMainWindow();
        Pump();
        return form;
    }

    // Closes the window with `message` (WM_CLOSE, or WM_COMMAND of "&Beenden")
    // and handles messages until the quit message; then destroys the window
    // object as the end handler does. Returns the quit code, -2 on time-out.
    int CloseAndEnd(UINT message = WM_CLOSE, WPARAM wParam = 0)
    {
        Form1* form = GetMainWindow();
        if (!form) return -3;
        PostMessageA(form->GetHandle(), message, wParam, 0);
        int code = -2;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 10000) {
            if (!WApplication::ProcessPendingMessages(&code)) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        End();
        return code;
    }

    // The end handler's step: destroy the main window object (settings saved).
    void End()
    {
        DestroyMainWindow();
        Pump();
    }

    // Handle the messages that are waiting (and those they cause) for a moment.
    static void Pump(DWORD ms = 30)
    {
        const DWORD start = GetTickCount();
        do {
            WApplication::ProcessPendingMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } while (GetTickCount() - start < ms);
    }

    // Handle messages until `done` or the time-out; false on time-out.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > timeoutMs) return false;
            WApplication::ProcessPendingMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }

    static HWND Item(int id) { return GetDlgItem(GetMainWindow()->GetHandle(), id); }
    static std::string TextOf(HWND window)
    {
        char buffer[70000];
        const LRESULT n = SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
        return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    static int Selection(int id) { return static_cast<int>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0)); }
    static bool Checked(int id) { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // A menu command, as the menu sends it.
    static void Command(int id) { SendMessageA(GetMainWindow()->GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

private:
    std::unique_ptr<RegistrySandbox> sandbox_;
};
