#pragma once
// Simple-Leitungsfuchs started as its own process and driven from outside
// through its main window: connecting, the log, sending, menu commands, its
// dialogs and message boxes, and ending it. Every wait is bounded; the
// destructor kills a program that is still running.
#include <windows.h>

#include <memory>
#include <string>

#include "ForeignToolbar.h"
#include "ForeignWindow.h"
#include "ProcessWindows.h"
#include "ProgramProcess.h"

class ProgramUnderTest {
public:
    static constexpr const char* kMainCaption = "Simple-Leitungsfuchs";
    static constexpr const char* kSendButtonsCaption = "Schaltflächen zum Senden von RS-232-Kommandos";
    static constexpr const char* kAboutCaption = "Quembarsolt";
    static constexpr const char* kAsciiHeadline = "RS-232 Kommunikation (ASCII-Mode)\r\n";
    static constexpr const char* kHexHeadline = "RS-232 Kommunikation (HEX-Mode)\r\n";
    // Bound of every wait for the program's reaction.
    static constexpr DWORD kReactionMs = 10000;

    // Starts the program and waits for its main window; throws
    // std::runtime_error when the window does not come up in time.
    explicit ProgramUnderTest(const std::string& windowsPath);

    ProgramProcess& Process() { return process_; }
    const ProcessWindows& Windows() const { return windows_; }
    const ForeignWindow& Main() const { return main_; }
    ForeignWindow Item(int id) const { return main_.Item(id); }
    ForeignToolbar Toolbar() const;

    // Chooses the line settings by list position (-1: no selection).
    void ChoosePort(int comNumber) const;
    void ChooseLine(int baudIndex, int dataIndex, int stopIndex, int parityIndex) const;
    bool PortChoicesEnabled() const;
    // A click on the connect button; true once the port choices are locked.
    // A message box it shows is answered and makes the result false.
    bool Connect(std::string* message = nullptr);
    // A click on the button while connected; true once the choices are free.
    bool Disconnect();

    std::string Log() const { return Item(kLogId).Text(); }
    std::size_t LogLength() const { return Item(kLogId).TextLength(); }
    // Waits until the log ends with tail (or equals it, with whole).
    bool WaitForLogEnd(const std::string& tail, DWORD timeoutMs = kReactionMs) const;
    bool WaitForLog(const std::string& whole, DWORD timeoutMs = kReactionMs) const;
    // "Ausgabefeld löschen", waited for.
    bool ClearLog() const;
    // The Hex-Mode command, waited for (the log shows the new headline).
    bool ToggleHexMode(bool toHex) const;

    void SetSendText(const std::string& text) const;
    std::string SendText() const;
    // The left mouse button on "&Senden"/"&Stop", posted. The caller waits
    // for its effect: a message sent afterwards overtakes posted ones, so an
    // answer to it does not mean the press was handled.
    void PressSend() const;
    std::string SendButtonCaption() const;
    // A menu command, posted as the menu sends it.
    void Command(int id) const { main_.PostCommand(id); }

    // Runs the send-button dialog: fills the five edit boxes and presses Ok
    // (or closes the dialog with its close box). With a screenshot name, the
    // filled dialog is kept as a screenshot. False when the dialog did not
    // come or go in time.
    bool EditSendTexts(const std::string (&texts)[5], bool pressOk, const std::string& screenshotName = {});

    // Asks the program to end (WM_CLOSE, or the "&Beenden" command) and waits
    // up to timeoutMs; true when it ended, with its exit code.
    bool Close(DWORD timeoutMs, DWORD& exitCode, bool throughMenu = false);

    static constexpr int kLogId = 114;

private:
    bool WaitForChoicesEnabled(bool enabled, std::string* message);

    ProgramProcess process_;
    ProcessWindows windows_;
    ForeignWindow main_;
};
