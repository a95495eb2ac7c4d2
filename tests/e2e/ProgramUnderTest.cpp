#include "ProgramUnderTest.h"

#include <stdexcept>

#include "E2eEnvironment.h"
#include "Waiting.h"
#include "resource_ids.h"

namespace {
// The main window comes up in well under a second; a fresh Wine server and
// a loaded machine can take several.
constexpr DWORD kStartMs = 30000;
const int kPortChoices[] = {ID_COMBO_COMM, ID_COMBO_BAUDRATE, ID_COMBO_DATABITS, ID_COMBO_STOPBITS, ID_COMBO_PARITY};
const int kSendTextBoxes[] = {ID_SB_TEXTB_1, ID_SB_TEXTB_2, ID_SB_TEXTB_3, ID_SB_TEXTB_4, ID_SB_TEXTB_5};
} // namespace

ProgramUnderTest::ProgramUnderTest(const std::string& windowsPath)
    : process_(windowsPath), windows_(process_.Id())
{
    // The form is shown at the end of its creation, with the headline
    // already in the log.
    WaitUntil(
        [&] {
            main_ = windows_.WaitFor(kMainCaption, ID_MAGICCOMBO_SEND, 100);
            return (main_ && main_.Item(kLogId).TextLength() > 0) || !process_.IsRunning();
        },
        kStartMs, 20);
    if (!main_ || main_.Item(kLogId).TextLength() == 0)
        throw std::runtime_error("the main window did not come up");
}

ForeignToolbar ProgramUnderTest::Toolbar() const
{
    return ForeignToolbar(process_.Handle(), main_.ChildOfClass("ToolbarWindow32"));
}

void ProgramUnderTest::ChoosePort(int comNumber) const
{
    Item(ID_COMBO_COMM).Select(comNumber - 1);
}

void ProgramUnderTest::ChooseLine(int baudIndex, int dataIndex, int stopIndex, int parityIndex) const
{
    Item(ID_COMBO_BAUDRATE).Select(baudIndex);
    Item(ID_COMBO_DATABITS).Select(dataIndex);
    Item(ID_COMBO_STOPBITS).Select(stopIndex);
    Item(ID_COMBO_PARITY).Select(parityIndex);
}

bool ProgramUnderTest::PortChoicesEnabled() const
{
    for (int id : kPortChoices) {
        if (!Item(id).IsEnabled()) return false;
    }
    return true;
}

bool ProgramUnderTest::WaitForChoicesEnabled(bool enabled, std::string* message)
{
    bool failed = false;
    const bool reached = WaitUntil(
        [&] {
            bool allAsWanted = true;
            for (int id : kPortChoices) allAsWanted = allAsWanted && Item(id).IsEnabled() == enabled;
            if (allAsWanted) return true;
            const std::vector<ProcessWindows::MessageBoxText> boxes = windows_.MessageBoxes();
            if (boxes.empty()) return false;
            if (message) *message = boxes.front().caption + ": " + boxes.front().text;
            ProcessWindows::Answer(boxes.front());
            failed = true;
            return true;
        },
        kReactionMs);
    return reached && !failed;
}

bool ProgramUnderTest::Connect(std::string* message)
{
    if (message) message->clear();
    Item(ID_PICTBTTN_1).PostClick();
    return WaitForChoicesEnabled(false, message);
}

bool ProgramUnderTest::Disconnect()
{
    Item(ID_PICTBTTN_1).PostClick();
    return WaitForChoicesEnabled(true, nullptr);
}

bool ProgramUnderTest::WaitForLogEnd(const std::string& tail, DWORD timeoutMs) const
{
    return WaitUntil(
        [&] {
            const std::string log = Log();
            return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
        },
        timeoutMs);
}

bool ProgramUnderTest::WaitForLog(const std::string& whole, DWORD timeoutMs) const
{
    return WaitUntil([&] { return Log() == whole; }, timeoutMs);
}

bool ProgramUnderTest::ClearLog() const
{
    Command(IDM_CLEAR_LOG);
    return WaitUntil([&] { return LogLength() == 0; }, kReactionMs, 2);
}

bool ProgramUnderTest::ToggleHexMode(bool toHex) const
{
    Command(IDM_HEX_MODE);
    return WaitForLog(toHex ? kHexHeadline : kAsciiHeadline);
}

void ProgramUnderTest::SetSendText(const std::string& text) const
{
    Item(ID_MAGICCOMBO_SEND).SetText(text);
}

std::string ProgramUnderTest::SendText() const
{
    return Item(ID_MAGICCOMBO_SEND).Text();
}

void ProgramUnderTest::PressSend() const
{
    Item(ID_CB_SEND).PostMousePress();
}

std::string ProgramUnderTest::SendButtonCaption() const
{
    return Item(ID_CB_SEND).Text();
}

bool ProgramUnderTest::EditSendTexts(const std::string (&texts)[5], bool pressOk, const std::string& screenshotName)
{
    Command(IDM_SEND_BUTTONS_DIALOG);
    const ForeignWindow dialog = windows_.WaitFor(kSendButtonsCaption, ID_SB_CB_1, kReactionMs);
    if (!dialog) return false;
    for (int i = 0; i < 5; ++i) dialog.Item(kSendTextBoxes[i]).SetText(texts[i]);
    if (!screenshotName.empty()) {
        Sleep(200); // let the edit boxes paint their new text
        KeepScreenshot(dialog.Handle(), screenshotName);
    }
    if (pressOk) {
        dialog.Item(ID_SB_CB_1).PostClick();
    } else {
        dialog.PostClose();
    }
    return windows_.WaitUntilGone(kSendButtonsCaption, kReactionMs) && main_.Answers(kReactionMs);
}

bool ProgramUnderTest::Close(DWORD timeoutMs, DWORD& exitCode, bool throughMenu)
{
    if (throughMenu) {
        Command(IDM_EXIT);
    } else {
        main_.PostClose();
    }
    return process_.WaitForExit(timeoutMs, exitCode);
}
