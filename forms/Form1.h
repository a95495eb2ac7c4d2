#pragma once
// The main window: connecting, the display of received data, sending, the
// send-button texts, and the start-up and close steps.
#include "ReceiveFormatter.h"
#include "__Form1_Base.h"

class Rs232Class;
class SettingsClass;

class Form1 : public __Form1_Base {
public:
    Form1() = default;
    ~Form1() override;

    // Sends `text` with the chosen line end and echoes it into the log.
    void SendText(const WString& text);
    // Formats received bytes in the current mode and appends them to the log.
    // While data streams in, the text of the blocks that arrive within
    // kLogFlushMs goes into the log in one append (a log append costs far
    // more than formatting a block); a block after a pause appears at once.
    void DisplayReceived(const unsigned char* bytes, int count);
    // Puts received text that is still waiting into the log now.
    void FlushReceivedText();

    static constexpr unsigned kLogFlushMs = 20;
    // The five send texts become the captions of menu items F1 to F5 and the
    // tips of the toolbar's five send buttons.
    void UpdateSendButtonTexts();

    // The display state of the log (mode, line count, open line).
    const ReceiveFormatter& GetDisplay() const { return display; }

protected:
    void ConnectFormHandlers(bool connect) override;
    bool OnFormCreate(WCreateEventData* data) override;

private:
    bool OnClose(WObject* source, WEventData* data);
    bool OnConnectClick(WObject* source, WEventData* data);
    bool OnSendButtonDown(WObject* source, WEventData* data);
    bool OnBlockReceived(WObject* source, WEventData* data);
    bool OnToolbarClick(WObject* source, WEventData* data);
    bool OnPeriodicTick(WObject* source, WEventData* data);
    bool OnSendButtonsDialog(WObject* source, WEventData* data);
    bool OnSendTextCommand(WObject* source, WEventData* data);
    bool OnHexMode(WObject* source, WEventData* data);
    bool OnClearLog(WObject* source, WEventData* data);
    bool OnClearSendList(WObject* source, WEventData* data);
    bool OnExit(WObject* source, WEventData* data);
    bool OnAbout(WObject* source, WEventData* data);
    bool OnLogFlushTick(WObject* source, WEventData* data);

    void RestoreChoices();
    void ConnectPort();
    void DisconnectPort();
    void EnablePortChoices(bool enable);
    WString LineEnding() const;
    unsigned PeriodMs() const;

    // hexMode, column, asciiText and afterCR of the receive display.
    ReceiveFormatter display;
    // Received text not yet in the log, and when the log last got some.
    WString pendingLogText;
    DWORD lastLogFlush = 0;
    WTimer logFlushTimer;
};

// The main window's module: its pointers, one each per program.
Form1* CreateMainWindow();
void DestroyMainWindow();
Form1* GetMainWindow();
Rs232Class* GetSerialPort();
SettingsClass* GetSettings();
