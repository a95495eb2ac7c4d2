#include "Form1.h"

#include <new>

#include "Rs232Class.h"
#include "SettingsClass.h"
#include "WApplication.h"
#include "WMessageBox.h"
#include "resource_ids.h"

namespace {
// The module's state: the main window and the two objects it owns.
Form1* mainWindow = nullptr;
Rs232Class* serialPort = nullptr;
SettingsClass* settings = nullptr;
// Destination of each received block (a block holds at most 80 bytes).
unsigned char receivedBlock[84];

const char* const kHistoryKey = "SoftwareQuembarsoltMagicComboBox";
constexpr unsigned kHistorySaveLimit = 10;

const char* const kSendCaption = "&Senden";
const char* const kStopCaption = "&Stop";

const unsigned kBaudrates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
const char* const kLineEnds[] = {"\r\n", "\r", "\n", "\n\r"};
const unsigned kPeriodsMs[] = {100, 200, 500, 1000, 1500, 2000, 3000, 5000, 10000, 15000, 20000};

template <class T, std::size_t N>
bool InTable(int index, const T (&)[N])
{
    return index >= 0 && static_cast<std::size_t>(index) < N;
}

void ShowError(const char* text)
{
    WMessageBox::Show(nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL, "Fehler", text);
}
} // namespace

Form1* CreateMainWindow()
{
    Form1* form = new (std::nothrow) Form1;
    if (!form) return nullptr;
    mainWindow = form; // the creation already sees it as the main window
    if (!form->Create(WApplication::GetModule(), "ID_Form1")) {
        delete form;
        mainWindow = nullptr;
    }
    return mainWindow;
}

void DestroyMainWindow()
{
    delete mainWindow;
    mainWindow = nullptr;
}

Form1* GetMainWindow()
{
    return mainWindow;
}

Rs232Class* GetSerialPort()
{
    return serialPort;
}

SettingsClass* GetSettings()
{
    return settings;
}

Form1::~Form1()
{
    // Closing the port waits for its reader, so nothing reaches a freed object.
    delete serialPort;
    serialPort = nullptr;
    delete settings; // writes every setting to the registry
    settings = nullptr;
}

void Form1::ConnectFormHandlers(bool connect)
{
    const WEventConnection rows[] = {
        {this, WEventId::Close, WHandler(&Form1::OnClose), this},
        {pictbttn_1, WEventId::Click, WHandler(&Form1::OnConnectClick), this},
        {cb_send, WEventId::LeftButtonDown, WHandler(&Form1::OnSendButtonDown), this},
        {textb_log, WEventId::User, WHandler(&Form1::OnBlockReceived), this},
        {toolb_1, WEventId::Click, WHandler(&Form1::OnToolbarClick), this},
        {periodicTimer, WEventId::Timer, WHandler(&Form1::OnPeriodicTick), this},
        {&logFlushTimer, WEventId::Timer, WHandler(&Form1::OnLogFlushTick), this},
        {menu_sendButtonsDialog, WEventId::Click, WHandler(&Form1::OnSendButtonsDialog), this},
        {menu_sendF1, WEventId::Click, WHandler(&Form1::OnSendTextCommand), this},
        {menu_sendF2, WEventId::Click, WHandler(&Form1::OnSendTextCommand), this},
        {menu_sendF3, WEventId::Click, WHandler(&Form1::OnSendTextCommand), this},
        {menu_sendF4, WEventId::Click, WHandler(&Form1::OnSendTextCommand), this},
        {menu_sendF5, WEventId::Click, WHandler(&Form1::OnSendTextCommand), this},
        {menu_hexMode, WEventId::Click, WHandler(&Form1::OnHexMode), this},
        {menu_clearLog, WEventId::Click, WHandler(&Form1::OnClearLog), this},
        {menu_clearSendList, WEventId::Click, WHandler(&Form1::OnClearSendList), this},
        {menu_exit, WEventId::Click, WHandler(&Form1::OnExit), this},
        {menu_about, WEventId::Click, WHandler(&Form1::OnAbout), this},
    };
    if (connect) {
        WObject::ConnectTable(rows);
    } else {
        WObject::DisconnectTable(rows);
    }
}

// ---- Start-up and closing -------------------------------------------------

bool Form1::OnFormCreate(WCreateEventData*)
{
    serialPort = new Rs232Class;
    serialPort->SetNotifyWindow(textb_log);
    settings = new SettingsClass;
    RestoreChoices();
    textb_log->AppendText(ReceiveFormatter::AsciiHeadline());
    UpdateSendButtonTexts();
    magicCombo_send->LoadHistory(HKEY_CURRENT_USER, kHistoryKey);
    magicCombo_send->SetSelectedIndex(0);
    magicCombo_send->addOnEnter = true;
    return false;
}

void Form1::RestoreChoices()
{
    const int lineEnd = settings->GetCRLF();
    if (lineEnd > 0) {
        checkbox_crlf->SetChecked(true);
        combo_crlf->SetSelectedIndex(lineEnd - 1);
    } else {
        combo_crlf->SetSelectedIndex(0);
    }
    const int period = settings->GetPeriodic();
    if (period > 0) {
        checkbox_periodic->SetChecked(true);
        combo_periodic->SetSelectedIndex(period - 1);
    } else {
        combo_periodic->SetSelectedIndex(0);
    }
    checkbox_echo->SetChecked(settings->GetEcho());
    // Stored list positions are used as they are; one outside its list
    // leaves the box without a selection.
    combo_baudrate->SetSelectedIndex(settings->GetBaudrate());
    combo_databits->SetSelectedIndex(settings->GetDatabits());
    combo_stopbits->SetSelectedIndex(settings->GetStopbits());
    combo_parity->SetSelectedIndex(settings->GetParity());
    combo_comm->SetSelectedIndex(settings->GetCOM());
}

bool Form1::OnClose(WObject*, WEventData*)
{
    settings->SetEcho(checkbox_echo->IsChecked());
    magicCombo_send->SaveHistory(HKEY_CURRENT_USER, kHistoryKey, kHistorySaveLimit);
    const int lineEnd = combo_crlf->GetSelectedIndex();
    settings->SetCRLF(checkbox_crlf->IsChecked() ? lineEnd + 1 : 0);
    const int period = combo_periodic->GetSelectedIndex();
    settings->SetPeriodic(checkbox_periodic->IsChecked() ? period + 1 : 0);
    return false;
}

bool Form1::OnExit(WObject*, WEventData*)
{
    RequestClose();
    return false;
}

// ---- Connecting ------------------------------------------------------------

bool Form1::OnConnectClick(WObject*, WEventData*)
{
    if (serialPort->IsConnected()) {
        DisconnectPort();
    } else {
        ConnectPort();
    }
    return false;
}

void Form1::ConnectPort()
{
    const int port = combo_comm->GetSelectedIndex();
    serialPort->SetPort(static_cast<short>(port + 1)); // no selection gives 0, which is refused
    settings->SetCOM(port);

    const int baudrate = combo_baudrate->GetSelectedIndex();
    serialPort->SetBaudrate(InTable(baudrate, kBaudrates) ? kBaudrates[baudrate] : 9600);
    settings->SetBaudrate(baudrate);

    const int stopbits = combo_stopbits->GetSelectedIndex();
    serialPort->SetStopbits(stopbits == 1 ? 2 : 1);
    settings->SetStopbits(stopbits);

    const int databits = combo_databits->GetSelectedIndex();
    serialPort->SetDatabits(databits == 0 ? 7 : 8);
    settings->SetDatabits(databits);

    const int parity = combo_parity->GetSelectedIndex();
    serialPort->SetParity(parity >= 0 && parity <= 2 ? static_cast<unsigned>(parity) : 0);
    settings->SetParity(parity);

    if (serialPort->Open()) {
        WIcon plugIn;
        plugIn.Load(WApplication::GetModule(), IDI_PLUG_IN);
        pictbttn_1->SetPicture(std::move(plugIn));
        EnablePortChoices(false);
    } else {
        ShowError("RS-232 konnte nicht verbunden werden!");
    }
}

void Form1::DisconnectPort()
{
    EnablePortChoices(true);
    serialPort->Close();
    WIcon plugApart;
    plugApart.Load(WApplication::GetModule(), IDI_PLUG_APART);
    pictbttn_1->SetPicture(std::move(plugApart));
}

void Form1::EnablePortChoices(bool enable)
{
    for (WComboBox* combo : {combo_comm, combo_baudrate, combo_parity, combo_stopbits, combo_databits}) {
        combo->Enable(enable);
    }
}

// ---- Receiving ------------------------------------------------------------

bool Form1::OnBlockReceived(WObject*, WEventData*)
{
    // Exactly once per event: the count, then the copy, which lets the
    // reader read the next block.
    int count = serialPort->GetReceivedCount();
    serialPort->CopyReceived(receivedBlock);
    if (count < 0) count = 0;
    if (count > Rs232Class::kBlockSize) count = Rs232Class::kBlockSize;
    DisplayReceived(receivedBlock, count);
    return false;
}

void Form1::DisplayReceived(const unsigned char* bytes, int count)
{
    pendingLogText += display.Format(bytes, count);
    if (GetTickCount() - lastLogFlush >= kLogFlushMs) {
        FlushReceivedText();
    } else if (!logFlushTimer.IsRunning()) {
        logFlushTimer.Start(kLogFlushMs);
    }
}

void Form1::FlushReceivedText()
{
    logFlushTimer.Stop();
    if (pendingLogText.IsEmpty()) return;
    textb_log->AppendText(pendingLogText);
    pendingLogText.Clear();
    lastLogFlush = GetTickCount();
}

bool Form1::OnLogFlushTick(WObject*, WEventData*)
{
    FlushReceivedText();
    return false;
}

bool Form1::OnHexMode(WObject*, WEventData*)
{
    FlushReceivedText(); // what arrived before the switch goes with the old log
    textb_log->Clear();
    const WString headline = display.ToggleHexMode();
    textb_log->AppendText(headline);
    menu_hexMode->SetChecked(display.IsHexMode());
    return false;
}

bool Form1::OnClearLog(WObject*, WEventData*)
{
    FlushReceivedText();
    textb_log->Clear();
    return false;
}

// ---- Sending ---------------------------------------------------------------

WString Form1::LineEnding() const
{
    const int index = combo_crlf->GetSelectedIndex();
    return InTable(index, kLineEnds) ? WString(kLineEnds[index]) : WString();
}

unsigned Form1::PeriodMs() const
{
    const int index = combo_periodic->GetSelectedIndex();
    return InTable(index, kPeriodsMs) ? kPeriodsMs[index] : 0;
}

void Form1::SendText(const WString& text)
{
    WString message = text;
    if (checkbox_crlf->IsChecked()) message += LineEnding();
    if (!serialPort->IsConnected()) {
        ShowError("RS-232 nicht verbunden!");
        return;
    }
    serialPort->Write(message.GetText(), static_cast<int>(message.GetLength()));
    if (checkbox_echo->IsChecked()) {
        FlushReceivedText(); // the echo comes after what was received before it
        textb_log->AppendText(WString(">") + message);
    }
}

bool Form1::OnSendButtonDown(WObject*, WEventData*)
{
    if (!serialPort->IsConnected()) return false;
    const WString caption = cb_send->GetText();
    if (caption == kSendCaption) {
        if (checkbox_periodic->IsChecked()) {
            cb_send->SetText(kStopCaption);
            periodicTimer->Start(PeriodMs());
        }
    } else if (caption == kStopCaption) {
        cb_send->SetText(kSendCaption);
        periodicTimer->Stop();
    }
    SendText(magicCombo_send->GetText());
    magicCombo_send->AddSentText(magicCombo_send->GetText());
    return false;
}

bool Form1::OnPeriodicTick(WObject*, WEventData*)
{
    if (serialPort->IsConnected()) SendText(magicCombo_send->GetText());
    return false;
}

bool Form1::OnSendTextCommand(WObject* source, WEventData*)
{
    const int index = static_cast<WMenuItem*>(source)->GetId() - IDM_SEND_F1;
    SendText(settings->GetRSSend(index));
    return false;
}

bool Form1::OnClearSendList(WObject*, WEventData*)
{
    magicCombo_send->ClearHistory();
    return false;
}

// ---- Toolbar and dialogs ---------------------------------------------------

bool Form1::OnToolbarClick(WObject*, WEventData* data)
{
    WMenuItem* item = nullptr;
    switch (static_cast<WClickEventData*>(data)->id) {
    case 100: item = menu_sendButtonsDialog; break;
    case 102: item = menu_sendF1; break;
    case 103: item = menu_sendF2; break;
    case 104: item = menu_sendF3; break;
    case 105: item = menu_sendF4; break;
    case 106: item = menu_sendF5; break;
    case 108: item = menu_clearLog; break;
    case 110: item = menu_exit; break;
    default: break; // separators and unknown ids do nothing
    }
    if (item) {
        WEventData empty;
        item->RaiseEvent(WEventId::Click, &empty);
    }
    return false;
}

bool Form1::OnSendButtonsDialog(WObject*, WEventData*)
{
    SendButtonsFDXStruct record;
    record.text1 = settings->GetRSSend(0);
    record.text2 = settings->GetRSSend(1);
    record.text3 = settings->GetRSSend(2);
    record.text4 = settings->GetRSSend(3);
    record.text5 = settings->GetRSSend(4);
    sendButtonsDialog->Create(this, &record);
    settings->SetRSSend(0, record.text1);
    settings->SetRSSend(1, record.text2);
    settings->SetRSSend(2, record.text3);
    settings->SetRSSend(3, record.text4);
    settings->SetRSSend(4, record.text5);
    UpdateSendButtonTexts();
    return false;
}

void Form1::UpdateSendButtonTexts()
{
    WMenuItem* const items[] = {menu_sendF1, menu_sendF2, menu_sendF3, menu_sendF4, menu_sendF5};
    for (int i = 0; i < 5; ++i) {
        const WString text = settings->GetRSSend(i);
        toolb_1->SetButtonTip(102 + i, text);
        if (items[i]) items[i]->SetCaption(text);
    }
}

bool Form1::OnAbout(WObject*, WEventData*)
{
    aboutDialog->Create(this);
    return false;
}
