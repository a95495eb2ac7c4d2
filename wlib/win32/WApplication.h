#pragma once
// The application object: raises StartEvent, RunEvent (unless start-up
// aborted) and EndEvent, runs the message loop, and returns the exit code.
#include <windows.h>

#include "WObject.h"

// The record that the three application events share.
struct WApplicationEventData : WEventData {
    int exitCode = 0;
    bool abort = false;
};

class WApplication : public WObject {
public:
    WApplication();
    ~WApplication() override;

    // The main routine: called by the program's entry function.
    int Main(HINSTANCE module);

    // Retrieve, translate and dispatch until the quit message; returns its
    // code, or 0 when retrieving a message fails. Tab and Enter work in forms.
    static int RunMessageLoop();

    // One retrieved message, as the loop handles it: a form's messages go
    // through its dialog keys (Tab, Enter), the others are translated and
    // dispatched. Not for WM_QUIT.
    static void HandleMessage(MSG& message);

    // Handle every message already waiting, as the loop would. False when
    // the quit message was among them (its code in `exitCode`).
    static bool ProcessPendingMessages(int* exitCode = nullptr);

    // Ask the UI thread's message loop to end with `exitCode`; from another
    // thread the quit message is posted to the UI thread's queue.
    static void Quit(int exitCode);

    static WApplication* GetInstance() { return instance_; }
    // The program's module; before Main has run, the .exe's own.
    static HINSTANCE GetModule() { return module_ ? module_ : GetModuleHandleA(nullptr); }
    static DWORD GetUiThreadId() { return uiThreadId_; }
    WApplicationEventData& GetEventData() { return eventData_; }

private:
    static WApplication* instance_;
    static HINSTANCE module_;
    static DWORD uiThreadId_;
    WApplicationEventData eventData_;
};
