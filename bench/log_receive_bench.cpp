// The road of a received byte through the program, measured in this process
// with the program's own main window (Form1 from the program's resources, its
// Rs232Class and reader thread, the UserEvent hand-over, the formatter and the
// log's edit control) on a vcomd port, beside the bare reader on the same port:
//  - bytes per second from the device write to the last character in the log,
//    ASCII (60000-byte bursts) and HEX (15000-byte bursts, 63750 characters:
//    what fits the log), the log emptied before each burst;
//  - one-byte latency from the device write to the text in the log, and to
//    the end of the log's next paint;
//  - where the time of a burst goes: the UserEvent handlers (formatter, and
//    the log's append when it is due), the timer that puts gathered text into
//    the log, paints, and the UI thread waiting for the next block; and the
//    formatter and the log's append on their own: each step of it against
//    how full the log is, by the size of the text, without a scroll bar.
//
// Runs under Wine with the harness up (bench/run.sh). Usage:
//   bench_log_receive.exe [--port N] [--rounds N] [--samples N] [--steps-only 1]
// Prints "R <key> <median> <min> <max> <p99> <count> <unit>" lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "InstrumentStream.h"
#include "BareReader.h"
#include "BenchReport.h"
#include "DeviceClient.h"
#include "DeviceWriter.h"
#include "Form1.h"
#include "MessageBoxWatcher.h"
#include "MessagePump.h"
#include "ReceiveFormatter.h"
#include "RegistrySandbox.h"
#include "Rs232Class.h"
#include "SampleSet.h"
#include "Stopwatch.h"
#include "WUserEvent.h"
#include "resource_ids.h"

namespace {

constexpr std::size_t kAsciiBurst = 60000;
constexpr std::size_t kHexBurst = 15000;
constexpr DWORD kBurstLimitMs = 120000;
constexpr DWORD kByteLimitMs = 5000;
constexpr int kBaud115200 = 7; // list position in the baud rate box
constexpr int kFillBands = 10;

struct Options {
    int port = 5;
    int rounds = 5;
    int samples = 200;
    bool stepsOnly = false; // only the steps on their own (formatter, append)
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (value <= 0) continue;
        if (name == "--port") options.port = value;
        if (name == "--rounds") options.rounds = value;
        if (name == "--samples") options.samples = value;
        if (name == "--steps-only") options.stepsOnly = value != 0;
    }
    return options;
}

// Log length in characters. The wide query: an ANSI WM_GETTEXTLENGTH makes
// Wine fetch the whole text to convert it, which would weigh on the figures.
std::size_t LogLength(HWND log)
{
    const LRESULT length = SendMessageW(log, WM_GETTEXTLENGTH, 0, 0);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

// Watches the messages the pump handles: the log's blocks (UserEvent), the
// timer that puts gathered text into the log, and paints.
class LogWatch {
public:
    explicit LogWatch(HWND log) : log_(log) {}

    // Starts a measurement that ends when the log holds `targetLength` characters.
    void Arm(std::size_t targetLength)
    {
        target_ = targetLength;
        lastLength_ = LogLength(log_);
        appendingHandlerMs_ = SampleSet();
        reached_ = false;
        painted_ = false;
        handlerMs_ = SampleSet();
        timerCount_ = 0;
        timerMs_ = 0;
        paintCount_ = 0;
        paintMs_ = 0;
        otherMs_ = 0;
    }

    void OnHandled(const MessagePump::Handled& handled)
    {
        const double ms = handled.endMs - handled.startMs;
        const bool block = handled.window == log_ && handled.message == WM_WLIB_USEREVENT;
        // The library's timers are thread timers (no window).
        const bool timer = handled.window == nullptr && handled.message == WM_TIMER;
        if (reached_) {
            if (!painted_ && handled.window == log_ && handled.message == WM_PAINT) {
                painted_ = true;
                paintedAtMs_ = handled.endMs;
            }
            return;
        }
        if (block) {
            handlerMs_.Add(ms);
        } else if (timer) {
            ++timerCount_;
            timerMs_ += ms;
        } else if (handled.message == WM_PAINT) {
            if (handled.window == log_) ++paintCount_;
            paintMs_ += ms;
        } else {
            otherMs_ += ms;
        }
        if (!block && !timer) return;
        const std::size_t length = LogLength(log_);
        if (block && length != lastLength_) appendingHandlerMs_.Add(ms);
        lastLength_ = length;
        if (length >= target_) {
            reached_ = true;
            reachedAtMs_ = handled.endMs;
        }
    }

    bool Reached() const { return reached_; }
    bool Painted() const { return painted_; }
    double ReachedAtMs() const { return reachedAtMs_; }
    double PaintedAtMs() const { return paintedAtMs_; }
    const SampleSet& HandlerMs() const { return handlerMs_; }
    // The handlers that put text into the log (the others only gathered it).
    const SampleSet& AppendingHandlerMs() const { return appendingHandlerMs_; }
    int TimerCount() const { return timerCount_; }
    double TimerMs() const { return timerMs_; }
    int PaintCount() const { return paintCount_; }
    double PaintMs() const { return paintMs_; }
    double OtherMs() const { return otherMs_; }

private:
    HWND log_;
    std::size_t target_ = 0;
    bool reached_ = false;
    bool painted_ = false;
    double reachedAtMs_ = 0;
    double paintedAtMs_ = 0;
    SampleSet handlerMs_;
    SampleSet appendingHandlerMs_;
    std::size_t lastLength_ = 0;
    int timerCount_ = 0;
    double timerMs_ = 0;
    int paintCount_ = 0;
    double paintMs_ = 0;
    double otherMs_ = 0;
};

// Figures of one way of receiving, collected over the rounds.
struct Road {
    SampleSet bytesPerSecond;
    SampleSet latencyMs;
    SampleSet paintedLatencyMs;
    // Where the time of a burst went (one value per burst): blocks and the
    // median time of the UserEvent handler per block; the handlers in all;
    // the timer that puts gathered text into the log (how often, how long);
    // paints of the log; and the time the UI thread had nothing to do.
    SampleSet blocks;
    SampleSet handlerUsPerBlock;
    SampleSet handlerMsPerBurst;
    SampleSet appendingHandlers;
    SampleSet appendingHandlerMsPerBurst;
    SampleSet appendingHandlerUs;
    SampleSet timerFlushes;
    SampleSet timerMsPerBurst;
    SampleSet logPaints;
    SampleSet paintMsPerBurst;
    SampleSet otherMsPerBurst;
    SampleSet waitMsPerBurst;
    SampleSet waitUsPerBlock;
};

class ProgramUnderTest {
public:
    explicit ProgramUnderTest(int port) : port_(port) {}

    bool Start()
    {
        form_ = CreateMainWindow();
        if (!form_) return false;
        watch_ = std::make_unique<LogWatch>(form_->textb_log->GetHandle());
        pump_.SetObserver([this](const MessagePump::Handled& handled) { watch_->OnHandled(handled); });
        pump_.RunFor(300);
        form_->combo_comm->SetSelectedIndex(port_ - 1);
        form_->combo_baudrate->SetSelectedIndex(kBaud115200);
        return true;
    }
    ~ProgramUnderTest()
    {
        if (form_) {
            if (GetSerialPort() && GetSerialPort()->IsConnected()) ClickConnect();
            DestroyMainWindow();
            pump_.RunFor(50);
        }
    }

    // The picture button, as the user clicks it; a message box is answered
    // (and means the port did not open).
    bool ClickConnect()
    {
        MessageBoxWatcher watcher;
        SendMessageA(GetDlgItem(form_->GetHandle(), ID_PICTBTTN_1), BM_CLICK, 0, 0);
        pump_.RunFor(30);
        return watcher.Count() == 0;
    }
    bool Connected() const { return GetSerialPort() && GetSerialPort()->IsConnected(); }
    void Command(int id)
    {
        SendMessageA(form_->GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        pump_.RunFor(20);
    }
    bool HexMode() const { return form_->GetDisplay().IsHexMode(); }

    // One burst from the device write to its last character in the emptied log.
    // One burst from the device write to its last character in the emptied log.
    bool MeasureBurst(DeviceWriter& writer, const std::string& burst, Road& road)
    {
        Command(IDM_CLEAR_LOG);
        pump_.RunFor(50);
        ReceiveFormatter expected = form_->GetDisplay();
        const std::size_t target = expected.Format(reinterpret_cast<const unsigned char*>(burst.data()),
                                                   static_cast<int32_t>(burst.size()))
                                       .GetLength();
        watch_->Arm(target);
        writer.Start(port_, burst);
        const bool arrived = pump_.RunUntil([this] { return watch_->Reached(); }, kBurstLimitMs);
        writer.WaitIdle(kBurstLimitMs);
        if (!arrived) {
            std::fprintf(stderr, "program: burst of %zu bytes did not reach the log (%zu of %zu characters)\n",
                         burst.size(), LogLength(form_->textb_log->GetHandle()), target);
            return false;
        }
        const double elapsedMs = watch_->ReachedAtMs() - writer.LastStartMs();
        road.bytesPerSecond.Add(static_cast<double>(burst.size()) * 1000.0 / elapsedMs);
        const LogWatch& w = *watch_;
        const double blocks = static_cast<double>(w.HandlerMs().Count());
        const double busyMs = w.HandlerMs().Sum() + w.TimerMs() + w.PaintMs() + w.OtherMs();
        road.blocks.Add(blocks);
        road.handlerUsPerBlock.Add(w.HandlerMs().Median() * 1000.0);
        road.handlerMsPerBurst.Add(w.HandlerMs().Sum());
        road.appendingHandlers.Add(static_cast<double>(w.AppendingHandlerMs().Count()));
        road.appendingHandlerMsPerBurst.Add(w.AppendingHandlerMs().Sum());
        road.appendingHandlerUs.Add(w.AppendingHandlerMs().Median() * 1000.0);
        road.timerFlushes.Add(w.TimerCount());
        road.timerMsPerBurst.Add(w.TimerMs());
        road.logPaints.Add(w.PaintCount());
        road.paintMsPerBurst.Add(w.PaintMs());
        road.otherMsPerBurst.Add(w.OtherMs());
        road.waitMsPerBurst.Add(elapsedMs - busyMs);
        road.waitUsPerBlock.Add(blocks > 0 ? (elapsedMs - busyMs) * 1000.0 / blocks : 0.0);
        return true;
    }

    // One byte from the device write to the log, and to the log's next paint.
    bool MeasureByte(DeviceWriter& writer, Road& road)
    {
        if (LogLength(form_->textb_log->GetHandle()) > 60000) Command(IDM_CLEAR_LOG);
        pump_.RunFor(10 + std::rand() % 20); // idle in between, paints done
        const std::size_t before = LogLength(form_->textb_log->GetHandle());
        watch_->Arm(before + 1);
        writer.Start(port_, "x");
        const bool arrived = pump_.RunUntil([this] { return watch_->Reached(); }, kByteLimitMs);
        pump_.RunUntil([this] { return watch_->Painted(); }, 500);
        writer.WaitIdle(kByteLimitMs);
        if (!arrived) {
            std::fprintf(stderr, "program: a byte did not reach the log\n");
            return false;
        }
        road.latencyMs.Add(watch_->ReachedAtMs() - writer.LastStartMs());
        if (watch_->Painted()) road.paintedLatencyMs.Add(watch_->PaintedAtMs() - writer.LastStartMs());
        return true;
    }

    Form1* Form() const { return form_; }
    MessagePump& Pump() { return pump_; }

private:
    int port_;
    Form1* form_ = nullptr;
    MessagePump pump_;
    std::unique_ptr<LogWatch> watch_;
};

bool BareBurst(BareReader& reader, DeviceWriter& writer, int port, const std::string& burst, SampleSet& rates)
{
    reader.Arrivals().Expect(burst.size());
    writer.Start(port, burst);
    const bool arrived = WaitForSingleObject(reader.Arrivals().Reached(), kBurstLimitMs) == WAIT_OBJECT_0;
    writer.WaitIdle(kBurstLimitMs);
    if (!arrived) {
        std::fprintf(stderr, "bare: burst of %zu bytes did not arrive\n", burst.size());
        return false;
    }
    rates.Add(static_cast<double>(burst.size()) * 1000.0 / (reader.Arrivals().ReachedAtMs() - writer.LastStartMs()));
    return true;
}

bool BareByte(BareReader& reader, DeviceWriter& writer, int port, SampleSet& latencies)
{
    Sleep(10 + std::rand() % 20);
    reader.Arrivals().Expect(1);
    writer.Start(port, "x");
    const bool arrived = WaitForSingleObject(reader.Arrivals().Reached(), kByteLimitMs) == WAIT_OBJECT_0;
    writer.WaitIdle(kByteLimitMs);
    if (!arrived) {
        std::fprintf(stderr, "bare: a byte did not arrive\n");
        return false;
    }
    latencies.Add(reader.Arrivals().ReachedAtMs() - writer.LastStartMs());
    return true;
}

// ---- the steps on their own ----------------------------------------------

// Microseconds per 80-byte block through the formatter.
double FormatterUsPerBlock(bool hex, const std::string& stream)
{
    ReceiveFormatter formatter;
    if (hex) formatter.ToggleHexMode();
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
    const int repeats = 20;
    std::size_t blocks = 0;
    std::size_t sink = 0;
    const Stopwatch clock;
    for (int r = 0; r < repeats; ++r) {
        for (std::size_t at = 0; at < stream.size(); at += Rs232Class::kBlockSize, ++blocks) {
            const std::size_t count = std::min<std::size_t>(Rs232Class::kBlockSize, stream.size() - at);
            sink += formatter.Format(bytes + at, static_cast<int32_t>(count)).GetLength();
        }
    }
    const double us = clock.ElapsedMs() * 1000.0 / static_cast<double>(blocks);
    return sink > 0 ? us : 0.0;
}

// The texts of a burst's blocks as the display makes them.
std::vector<std::string> BlockTexts(bool hex, const std::string& stream)
{
    ReceiveFormatter formatter;
    if (hex) formatter.ToggleHexMode();
    std::vector<std::string> texts;
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
    for (std::size_t at = 0; at < stream.size(); at += Rs232Class::kBlockSize) {
        const std::size_t count = std::min<std::size_t>(Rs232Class::kBlockSize, stream.size() - at);
        texts.push_back(formatter.Format(bytes + at, static_cast<int32_t>(count)).str());
    }
    return texts;
}

// Each step of the log's append (as WTextBox::AppendText does it), timed per
// block while the log fills from empty; microseconds in the first and the
// last tenth of the fill.
struct AppendSteps {
    SampleSet lengthA[2], setSel[2], replaceSel[2], scrollCaret[2], lengthW[2], whole[2], hidden[2];
};

void MeasureAppendSteps(ProgramUnderTest& program, const std::vector<std::string>& texts, AppendSteps& steps)
{
    WTextBox* log = program.Form()->textb_log;
    HWND edit = log->GetHandle();
    const std::size_t n = texts.size();
    auto band = [n](std::size_t i) { return i < n / 10 ? 0 : (i >= n - n / 10 ? 1 : -1); };
    program.Command(IDM_CLEAR_LOG);
    for (std::size_t i = 0; i < n; ++i) {
        double t0 = Stopwatch::NowMs();
        const LRESULT end = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
        double t1 = Stopwatch::NowMs();
        SendMessageA(edit, EM_SETSEL, end, end);
        double t2 = Stopwatch::NowMs();
        SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(texts[i].c_str()));
        double t3 = Stopwatch::NowMs();
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        double t4 = Stopwatch::NowMs();
        SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
        double t5 = Stopwatch::NowMs();
        const int b = band(i);
        if (b >= 0) {
            steps.lengthA[b].Add((t1 - t0) * 1000.0);
            steps.setSel[b].Add((t2 - t1) * 1000.0);
            steps.replaceSel[b].Add((t3 - t2) * 1000.0);
            steps.scrollCaret[b].Add((t4 - t3) * 1000.0);
            steps.lengthW[b].Add((t5 - t4) * 1000.0);
        }
    }
    program.Command(IDM_CLEAR_LOG);
    for (std::size_t i = 0; i < n; ++i) {
        const WString text(texts[i]);
        const double t0 = Stopwatch::NowMs();
        log->AppendText(text);
        const double t1 = Stopwatch::NowMs();
        const int b = band(i);
        if (b >= 0) steps.whole[b].Add((t1 - t0) * 1000.0);
    }
    program.Command(IDM_CLEAR_LOG);

    // The same appends into a hidden text box of the log's kind: nothing is
    // drawn, so what is left is the text box's own work.
    HWND hiddenEdit = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", "",
                                      WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL
                                          | ES_AUTOHSCROLL,
                                      0, 0, 400, 200, program.Form()->GetHandle(), nullptr, nullptr, nullptr);
    WTextBox hidden;
    if (hiddenEdit && hidden.Attach(hiddenEdit)) {
        hidden.SetFont("10.Courier New");
        hidden.SetTextLimit(65535);
        for (std::size_t i = 0; i < n; ++i) {
            const WString text(texts[i]);
            const double t0 = Stopwatch::NowMs();
            hidden.AppendText(text);
            const double t1 = Stopwatch::NowMs();
            const int b = band(i);
            if (b >= 0) steps.hidden[b].Add((t1 - t0) * 1000.0);
        }
        hidden.Detach();
    }
    if (hiddenEdit) DestroyWindow(hiddenEdit);
}

// WTextBox::AppendText against the way it used to find the end of the text
// (the ANSI length, which Wine makes by converting the whole text), in a
// hidden text box holding `fill` characters, one character per append,
// alternating so both see the same load. Microseconds per append.
void MeasureEndQuery(ProgramUnderTest& program, std::size_t fill, SampleSet& ansiEnd, SampleSet& appendText)
{
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                0, 0, 400, 200, program.Form()->GetHandle(), nullptr, nullptr, nullptr);
    WTextBox box;
    if (!edit || !box.Attach(edit)) {
        if (edit) DestroyWindow(edit);
        return;
    }
    box.SetTextLimit(65535);
    std::string text;
    while (text.size() + 80 <= fill) text += std::string(78, 'f') + "\r\n";
    text.resize(fill, 'f');
    box.SetText(WString(text));
    for (int i = 0; i < 300; ++i) {
        const double t0 = Stopwatch::NowMs();
        const LRESULT end = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
        SendMessageA(edit, EM_SETSEL, end, end);
        SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("a"));
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        const double t1 = Stopwatch::NowMs();
        box.AppendText("b");
        const double t2 = Stopwatch::NowMs();
        ansiEnd.Add((t1 - t0) * 1000.0);
        appendText.Add((t2 - t1) * 1000.0);
    }
    box.Detach();
    DestroyWindow(edit);
}

// What an append costs by its size and by the log's scroll bar: lines of 80
// characters appended to the real log 1, 10 and 100 at a time (microseconds
// per call), and one line at a time into a visible text box of the log's
// kind without a vertical scroll bar.
struct AppendShapes {
    SampleSet perCall[3];
    SampleSet noScrollBar;
};

void MeasureAppendShapes(ProgramUnderTest& program, AppendShapes& shapes)
{
    static const int kLines[3] = {1, 10, 100};
    WTextBox* log = program.Form()->textb_log;
    const std::string line = std::string(78, 'x') + "\r\n";
    for (int k = 0; k < 3; ++k) {
        program.Command(IDM_CLEAR_LOG);
        std::string chunk;
        for (int i = 0; i < kLines[k]; ++i) chunk += line;
        const WString text(chunk);
        for (std::size_t length = 0; length + chunk.size() <= 60000; length += chunk.size()) {
            const double t0 = Stopwatch::NowMs();
            log->AppendText(text);
            shapes.perCall[k].Add((Stopwatch::NowMs() - t0) * 1000.0);
        }
    }
    program.Command(IDM_CLEAR_LOG);

    HWND edit = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                10, 60, 600, 250, program.Form()->GetHandle(), nullptr, nullptr, nullptr);
    WTextBox box;
    if (edit && box.Attach(edit)) {
        box.SetFont("10.Courier New");
        box.SetTextLimit(65535);
        SetWindowPos(edit, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        program.Pump().RunFor(50);
        const WString text(line);
        for (int i = 0; i < 750; ++i) {
            const double t0 = Stopwatch::NowMs();
            box.AppendText(text);
            shapes.noScrollBar.Add((Stopwatch::NowMs() - t0) * 1000.0);
        }
        box.Detach();
    }
    if (edit) DestroyWindow(edit);
    program.Pump().RunFor(50);
}

void ReportAppendSteps(const char* mode, const AppendSteps& steps)
{
    const char* bands[2] = {"first10", "last10"};
    char key[128];
    for (int b = 0; b < 2; ++b) {
        const struct {
            const char* name;
            const SampleSet& set;
        } rows[] = {{"gettextlength_a", steps.lengthA[b]}, {"em_setsel", steps.setSel[b]},
                    {"em_replacesel", steps.replaceSel[b]}, {"em_scrollcaret", steps.scrollCaret[b]},
                    {"gettextlength_w", steps.lengthW[b]}, {"appendtext", steps.whole[b]},
                    {"appendtext_hidden", steps.hidden[b]}};
        for (const auto& row : rows) {
            std::snprintf(key, sizeof key, "step.%s.%s.%s", mode, row.name, bands[b]);
            BenchReport::Figure(key, row.set, "us");
        }
    }
}

void ReportRoad(const char* prefix, const Road& road)
{
    char key[128];
    auto figure = [&](const char* name, const SampleSet& set, const char* unit) {
        if (set.Empty()) return;
        std::snprintf(key, sizeof key, "%s.%s", prefix, name);
        BenchReport::Figure(key, set, unit);
    };
    figure("bytes_per_s", road.bytesPerSecond, "B/s");
    figure("latency_ms", road.latencyMs, "ms");
    figure("painted_latency_ms", road.paintedLatencyMs, "ms");
    if (road.blocks.Empty()) return;
    figure("blocks", road.blocks, "blocks");
    figure("handler_us_per_block", road.handlerUsPerBlock, "us");
    figure("handler_ms_per_burst", road.handlerMsPerBurst, "ms");
    figure("appending_handlers_per_burst", road.appendingHandlers, "handlers");
    figure("appending_handler_ms_per_burst", road.appendingHandlerMsPerBurst, "ms");
    figure("appending_handler_us", road.appendingHandlerUs, "us");
    figure("timer_flushes_per_burst", road.timerFlushes, "flushes");
    figure("timer_ms_per_burst", road.timerMsPerBurst, "ms");
    figure("log_paints_per_burst", road.logPaints, "paints");
    figure("paint_ms_per_burst", road.paintMsPerBurst, "ms");
    figure("other_ms_per_burst", road.otherMsPerBurst, "ms");
    figure("wait_ms_per_burst", road.waitMsPerBurst, "ms");
    figure("wait_us_per_block", road.waitUsPerBlock, "us");
}

int Run(const Options& options)
{
    RegistrySandbox sandbox("bench_log_receive");
    if (!sandbox.Ok()) {
        std::fprintf(stderr, "cannot redirect the registry\n");
        return 1;
    }
    DeviceClient device;
    device.Create(options.port);
    DeviceWriter writer;
    ProgramUnderTest program(options.port);
    if (!program.Start()) {
        std::fprintf(stderr, "the main window could not be created\n");
        return 1;
    }
    const std::string asciiBurst = MakeInstrumentStream(kAsciiBurst);
    const std::string hexBurst = MakeInstrumentStream(kHexBurst);
    Road programAscii, programHex, programByte;
    SampleSet bareAsciiRate, bareHexRate, bareLatency;
    const int samplesPerRound = (options.samples + options.rounds - 1) / options.rounds;

    for (int round = 0; round < options.rounds && !options.stepsOnly; ++round) {
        // The bare reader on the port, then the program on the same port.
        {
            BareReader bare;
            if (!bare.Start(options.port)) {
                std::fprintf(stderr, "bare: cannot open COM%d\n", options.port);
                return 1;
            }
            if (!BareBurst(bare, writer, options.port, asciiBurst, bareAsciiRate)) return 1;
            if (!BareBurst(bare, writer, options.port, hexBurst, bareHexRate)) return 1;
            for (int s = 0; s < samplesPerRound; ++s) {
                if (!BareByte(bare, writer, options.port, bareLatency)) return 1;
            }
        }
        if (!program.ClickConnect() || !program.Connected()) {
            std::fprintf(stderr, "program: cannot connect to COM%d\n", options.port);
            return 1;
        }
        if (program.HexMode()) program.Command(IDM_HEX_MODE);
        if (!program.MeasureBurst(writer, asciiBurst, programAscii)) return 1;
        program.Command(IDM_HEX_MODE);
        if (!program.MeasureBurst(writer, hexBurst, programHex)) return 1;
        program.Command(IDM_HEX_MODE);
        program.Command(IDM_CLEAR_LOG);
        for (int s = 0; s < samplesPerRound; ++s) {
            if (!program.MeasureByte(writer, programByte)) return 1;
        }
        program.ClickConnect(); // disconnect
        std::fprintf(stderr, "round %d of %d done\n", round + 1, options.rounds);
    }

    // The steps on their own, the program disconnected.
    AppendSteps asciiSteps, hexSteps;
    const std::vector<std::string> asciiTexts = BlockTexts(false, asciiBurst);
    const std::vector<std::string> hexTexts = BlockTexts(true, hexBurst);
    SampleSet formatAscii, formatHex;
    SampleSet ansiEndEmpty, appendEmpty, ansiEndFull, appendFull;
    AppendShapes shapes;
    for (int r = 0; r < options.rounds; ++r) {
        MeasureAppendShapes(program, shapes);
        MeasureEndQuery(program, 0, ansiEndEmpty, appendEmpty);
        MeasureEndQuery(program, 60000, ansiEndFull, appendFull);
        MeasureAppendSteps(program, asciiTexts, asciiSteps);
        MeasureAppendSteps(program, hexTexts, hexSteps);
        formatAscii.Add(FormatterUsPerBlock(false, asciiBurst));
        formatHex.Add(FormatterUsPerBlock(true, hexBurst));
    }
    device.Remove(options.port);

    std::printf("Receive road of the program (in process, real main window) on COM%d: %d rounds, "
                "ASCII bursts %zu bytes, HEX bursts %zu bytes, %d one-byte samples\n",
                options.port, options.rounds, kAsciiBurst, kHexBurst, samplesPerRound * options.rounds);
    BenchReport::Figure("log.bare.ascii_burst.bytes_per_s", bareAsciiRate, "B/s");
    BenchReport::Figure("log.bare.hex_burst.bytes_per_s", bareHexRate, "B/s");
    BenchReport::Figure("log.bare.latency_ms", bareLatency, "ms");
    ReportRoad("log.program.ascii", programAscii);
    ReportRoad("log.program.hex", programHex);
    ReportRoad("log.program.byte", programByte);
    BenchReport::Figure("step.formatter.ascii_us_per_block", formatAscii, "us");
    BenchReport::Figure("step.formatter.hex_us_per_block", formatHex, "us");
    BenchReport::Figure("step.end_query.ansi_length.empty", ansiEndEmpty, "us");
    BenchReport::Figure("step.end_query.appendtext.empty", appendEmpty, "us");
    BenchReport::Figure("step.end_query.ansi_length.full", ansiEndFull, "us");
    BenchReport::Figure("step.end_query.appendtext.full", appendFull, "us");
    BenchReport::Figure("step.shape.lines1_per_call", shapes.perCall[0], "us");
    BenchReport::Figure("step.shape.lines10_per_call", shapes.perCall[1], "us");
    BenchReport::Figure("step.shape.lines100_per_call", shapes.perCall[2], "us");
    BenchReport::Figure("step.shape.no_scroll_bar_per_call", shapes.noScrollBar, "us");
    ReportAppendSteps("ascii", asciiSteps);
    ReportAppendSteps("hex", hexSteps);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(ParseOptions(argc, argv));
    } catch (const DeviceError& error) {
        std::fprintf(stderr, "device: %s\n", error.what());
        return 1;
    }
}
