// The program as the user runs it: Leitungsfuchs.exe started as a process of
// its own and driven from outside, as a user would (list choices, the connect
// button, menu commands), each figure beside a baseline measured in the same
// run:
//  - start-up time to the visible main window, beside a minimal Win32 window
//    program (bench_minimal_window.exe), both started the same way;
//  - idle CPU while connected with no data, beside the bare reader on the
//    same port in a process of its own (and the program while not
//    connected): CPU time of all the
//    process's threads over a quiet spell, Wine's own threads included (the
//    one Wine runs for a pending WaitCommEvent among them), and the wine
//    server's over the same spell (under Wine, waits and messages go
//    through it);
//  - memory after start and after a streaming run (ASCII and HEX bursts with
//    the log emptied between them), beside the minimal window program.
//
// Runs under Wine with the harness up (bench/run.sh). Finds the program in
// ..\bin\ and the minimal window next to itself. Usage:
//   bench_program.exe [--port N] [--starts N] [--idle-seconds N] [--idle-rounds N] [--bursts N]
// Prints "R <key> <median> <min> <max> <p99> <count> <unit>" lines.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "InstrumentStream.h"
#include "BareReader.h"
#include "BenchReport.h"
#include "DeviceClient.h"
#include "LaunchedProgram.h"
#include "ProcessCounters.h"
#include "UnixProcess.h"
#include "WHandle.h"
#include "SampleSet.h"
#include "Stopwatch.h"
#include "resource_ids.h"

namespace {

constexpr DWORD kWindowLimitMs = 30000;
constexpr DWORD kCloseLimitMs = 15000;
constexpr DWORD kBurstLimitMs = 120000;
constexpr int kBaud115200 = 7;

struct Options {
    int port = 6;
    int starts = 10;
    int idleSeconds = 10;
    int idleRounds = 3;
    int bursts = 10;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (value <= 0) continue;
        if (name == "--port") options.port = value;
        if (name == "--starts") options.starts = value;
        if (name == "--idle-seconds") options.idleSeconds = value;
        if (name == "--idle-rounds") options.idleRounds = value;
        if (name == "--bursts") options.bursts = value;
    }
    return options;
}

std::string OwnDirectory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

// The bare reader runs in a child process of its own (this program with
// --bare-child <port>), so it is measured as the program is. The child opens
// the port, signals kBareReady and reads until kBareStop is set (at most
// kBareChildLimitMs).
constexpr const char* kBareReady = "LfBenchBareReaderReady";
constexpr const char* kBareStop = "LfBenchBareReaderStop";
constexpr DWORD kBareChildLimitMs = 300000;

int RunBareChild(int port)
{
    WKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, kBareReady));
    WKernelHandle stop(CreateEventA(nullptr, TRUE, FALSE, kBareStop));
    if (!ready || !stop) return 1;
    BareReader bare;
    if (!bare.Start(port)) return 1;
    SetEvent(ready.Get());
    WaitForSingleObject(stop.Get(), kBareChildLimitMs);
    return 0;
}

unsigned long HandlesOf(const LaunchedProgram& program)
{
    ProcessCounters counters;
    return ProcessCounters::Query(program.ProcessId(), counters) ? counters.handles : 0;
}
unsigned long ThreadsOf(const LaunchedProgram& program)
{
    ProcessCounters counters;
    return ProcessCounters::Query(program.ProcessId(), counters) ? counters.threads : 0;
}

// ---- start-up ---------------------------------------------------------------

struct StartFigures {
    SampleSet visibleMs;
    SampleSet answersMs;
    SampleSet workingSetKb;
    SampleSet peakWorkingSetKb;
    SampleSet pagefileKb;
    SampleSet peakPagefileKb;
    int badExits = 0;
};

bool MeasureStart(const std::string& path, StartFigures& figures, bool count)
{
    LaunchedProgram program;
    const double start = Stopwatch::NowMs();
    if (!program.Launch(path)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", path.c_str(), GetLastError());
        return false;
    }
    if (!program.WaitForVisibleWindow(kWindowLimitMs)) {
        std::fprintf(stderr, "%s showed no window\n", path.c_str());
        return false;
    }
    const double visible = Stopwatch::NowMs();
    const bool answers = program.Answers(5000);
    const double answered = Stopwatch::NowMs();
    Sleep(300); // let it settle before reading its memory
    PROCESS_MEMORY_COUNTERS memory;
    const bool haveMemory = program.Memory(memory);
    const int code = program.Close(kCloseLimitMs);
    if (!count) return true;
    figures.visibleMs.Add(visible - start);
    if (answers) figures.answersMs.Add(answered - start);
    if (haveMemory) {
        figures.workingSetKb.Add(memory.WorkingSetSize / 1024.0);
        figures.peakWorkingSetKb.Add(memory.PeakWorkingSetSize / 1024.0);
        figures.pagefileKb.Add(memory.PagefileUsage / 1024.0);
        figures.peakPagefileKb.Add(memory.PeakPagefileUsage / 1024.0);
    }
    if (code != 0) ++figures.badExits;
    return true;
}

void ReportStart(const char* prefix, const StartFigures& figures)
{
    const struct {
        const char* name;
        const SampleSet& set;
        const char* unit;
    } rows[] = {{"start_visible_ms", figures.visibleMs, "ms"},
                {"start_answers_ms", figures.answersMs, "ms"},
                {"start_working_set_kb", figures.workingSetKb, "KB"},
                {"start_peak_working_set_kb", figures.peakWorkingSetKb, "KB"},
                {"start_pagefile_kb", figures.pagefileKb, "KB"},
                {"start_peak_pagefile_kb", figures.peakPagefileKb, "KB"}};
    char key[128];
    for (const auto& row : rows) {
        if (row.set.Empty()) continue;
        std::snprintf(key, sizeof key, "%s.%s", prefix, row.name);
        BenchReport::Figure(key, row.set, row.unit);
    }
    std::snprintf(key, sizeof key, "%s.start_bad_exits", prefix);
    BenchReport::Value(key, figures.badExits, "exits");
}

// ---- the running program, driven from outside -----------------------------

class DrivenProgram {
public:
    bool Start(const std::string& path)
    {
        return program_.Launch(path) && program_.WaitForVisibleWindow(kWindowLimitMs) && program_.Answers(5000);
    }
    LaunchedProgram& Process() { return program_; }

    HWND Item(int id) const { return GetDlgItem(program_.Window(), id); }
    bool Connected() const { return !IsWindowEnabled(Item(ID_COMBO_COMM)); }

    // Chooses the port and 115200 bit/s and clicks the connect button.
    bool Connect(int port)
    {
        SendMessageA(Item(ID_COMBO_COMM), CB_SETCURSEL, port - 1, 0);
        SendMessageA(Item(ID_COMBO_BAUDRATE), CB_SETCURSEL, kBaud115200, 0);
        Click();
        return Connected();
    }
    bool Disconnect()
    {
        Click();
        return !Connected();
    }
    void Command(int id)
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(program_.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 5000, &result);
    }
    long LogLength() const
    {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutA(Item(ID_TEXTB_LOG), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return -1;
        return static_cast<long>(length);
    }

private:
    void Click()
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(Item(ID_PICTBTTN_1), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
    }

    LaunchedProgram program_;
};

// CPU per cent of one core over a quiet spell, of a process and of the wine server.
struct IdleFigures {
    SampleSet processPercent;
    SampleSet serverPercent;
};

template <class CpuMs>
void MeasureIdle(CpuMs cpuMs, int seconds, const std::string& serverPid, IdleFigures& figures)
{
    Sleep(1000); // settle
    const double process0 = cpuMs();
    const double server0 = UnixProcess::CpuMs(serverPid);
    const double start = Stopwatch::NowMs();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = Stopwatch::NowMs() - start;
    const double process1 = cpuMs();
    const double server1 = UnixProcess::CpuMs(serverPid);
    if (process0 >= 0 && process1 >= 0) figures.processPercent.Add((process1 - process0) * 100.0 / wall);
    if (server0 >= 0 && server1 >= 0) figures.serverPercent.Add((server1 - server0) * 100.0 / wall);
}

void ReportIdle(const char* prefix, const IdleFigures& figures)
{
    char key[128];
    std::snprintf(key, sizeof key, "%s.idle_cpu_percent", prefix);
    BenchReport::Figure(key, figures.processPercent, "%");
    std::snprintf(key, sizeof key, "%s.idle_wineserver_cpu_percent", prefix);
    BenchReport::Figure(key, figures.serverPercent, "%");
}

// One burst into the emptied log; bytes per second to the last change of the
// log seen from outside (coarse: the log is polled every 20 ms).
bool StreamBurst(DrivenProgram& program, DeviceClient& device, int port, const std::string& burst, SampleSet& rates)
{
    program.Command(IDM_CLEAR_LOG);
    const double start = Stopwatch::NowMs();
    device.Write(port, burst);
    long last = program.LogLength();
    double lastChange = start;
    while (Stopwatch::NowMs() - lastChange < 1000) {
        if (Stopwatch::NowMs() - start > kBurstLimitMs) return false;
        Sleep(20);
        const long now = program.LogLength();
        if (now != last) {
            last = now;
            lastChange = Stopwatch::NowMs();
        }
    }
    if (last < static_cast<long>(burst.size())) {
        std::fprintf(stderr, "program: only %ld characters in the log after a burst of %zu bytes\n", last,
                     burst.size());
        return false;
    }
    rates.Add(static_cast<double>(burst.size()) * 1000.0 / (lastChange - start));
    return true;
}

void ReportMemory(const char* prefix, const PROCESS_MEMORY_COUNTERS& memory)
{
    char key[128];
    const struct {
        const char* name;
        SIZE_T value;
    } rows[] = {{"working_set_kb", memory.WorkingSetSize},
                {"peak_working_set_kb", memory.PeakWorkingSetSize},
                {"pagefile_kb", memory.PagefileUsage},
                {"peak_pagefile_kb", memory.PeakPagefileUsage}};
    for (const auto& row : rows) {
        std::snprintf(key, sizeof key, "%s.%s", prefix, row.name);
        BenchReport::Value(key, row.value / 1024.0, "KB");
    }
}

int Run(const Options& options)
{
    const std::string directory = OwnDirectory();
    const std::string programPath = directory + "..\\bin\\Leitungsfuchs.exe";
    const std::string minimalPath = directory + "bench_minimal_window.exe";
    const std::string serverPid = UnixProcess::WineServerPid();

    // Start-up, alternating, after one start of each that is not counted.
    StartFigures minimal, program;
    if (!MeasureStart(minimalPath, minimal, false) || !MeasureStart(programPath, program, false)) return 1;
    for (int i = 0; i < options.starts; ++i) {
        if (!MeasureStart(minimalPath, minimal, true) || !MeasureStart(programPath, program, true)) return 1;
    }
    std::fprintf(stderr, "start-up done\n");

    DeviceClient device;
    device.Create(options.port);
    DrivenProgram driven;
    if (!driven.Start(programPath)) {
        std::fprintf(stderr, "the program did not come up\n");
        return 1;
    }
    PROCESS_MEMORY_COUNTERS atStart;
    driven.Process().Memory(atStart);
    const unsigned long handlesAtStart = HandlesOf(driven.Process());
    const unsigned long threadsAtStart = ThreadsOf(driven.Process());

    // Idle: the bare reader on the port, the program on the same port
    // connected, and not connected.
    IdleFigures bareIdle, connectedIdle, disconnectedIdle;
    for (int round = 0; round < options.idleRounds; ++round) {
        {
            WKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, kBareReady));
            WKernelHandle stop(CreateEventA(nullptr, TRUE, FALSE, kBareStop));
            ResetEvent(ready.Get());
            ResetEvent(stop.Get());
            LaunchedProgram bare;
            const std::string self = directory + "bench_program.exe";
            if (!bare.Launch(self, "--bare-child " + std::to_string(options.port))
                || WaitForSingleObject(ready.Get(), kWindowLimitMs) != WAIT_OBJECT_0) {
                std::fprintf(stderr, "bare: cannot open COM%d\n", options.port);
                return 1;
            }
            MeasureIdle([&] { return bare.CpuMs(); }, options.idleSeconds, serverPid, bareIdle);
            SetEvent(stop.Get());
            WaitForSingleObject(bare.Process(), kCloseLimitMs);
        }
        if (!driven.Connect(options.port)) {
            std::fprintf(stderr, "program: cannot connect to COM%d\n", options.port);
            return 1;
        }
        MeasureIdle([&] { return driven.Process().CpuMs(); }, options.idleSeconds, serverPid, connectedIdle);
        driven.Disconnect();
        MeasureIdle([&] { return driven.Process().CpuMs(); }, options.idleSeconds, serverPid, disconnectedIdle);
        std::fprintf(stderr, "idle round %d of %d done\n", round + 1, options.idleRounds);
    }

    // Streaming: ASCII bursts of 60000 bytes, then HEX bursts of 15000
    // (what fits the log), the log emptied before each.
    if (!driven.Connect(options.port)) return 1;
    SampleSet asciiRates, hexRates;
    const std::string asciiBurst = MakeInstrumentStream(60000);
    const std::string hexBurst = MakeInstrumentStream(15000);
    for (int i = 0; i < options.bursts; ++i) {
        if (!StreamBurst(driven, device, options.port, asciiBurst, asciiRates)) return 1;
    }
    driven.Command(IDM_HEX_MODE);
    for (int i = 0; i < (options.bursts + 1) / 2; ++i) {
        if (!StreamBurst(driven, device, options.port, hexBurst, hexRates)) return 1;
    }
    driven.Command(IDM_HEX_MODE);
    PROCESS_MEMORY_COUNTERS afterStreaming;
    driven.Process().Memory(afterStreaming);
    const unsigned long handlesWhileConnected = HandlesOf(driven.Process());
    const unsigned long threadsWhileConnected = ThreadsOf(driven.Process());
    driven.Disconnect();
    Sleep(300);
    const unsigned long handlesAfter = HandlesOf(driven.Process());
    const unsigned long threadsAfter = ThreadsOf(driven.Process());
    const int exitCode = driven.Process().Close(kCloseLimitMs);
    device.Remove(options.port);

    std::printf("The program as a process (Leitungsfuchs.exe) on COM%d: %d starts, %d idle rounds of %d s, "
                "%d ASCII bursts of 60000 bytes and %d HEX bursts of 15000 bytes\n",
                options.port, options.starts, options.idleRounds, options.idleSeconds, options.bursts,
                (options.bursts + 1) / 2);
    ReportStart("exe.minimal", minimal);
    ReportStart("exe.program", program);
    ReportIdle("exe.bare", bareIdle);
    ReportIdle("exe.program.connected", connectedIdle);
    ReportIdle("exe.program.disconnected", disconnectedIdle);
    BenchReport::Figure("exe.program.stream.ascii_bytes_per_s", asciiRates, "B/s");
    BenchReport::Figure("exe.program.stream.hex_bytes_per_s", hexRates, "B/s");
    ReportMemory("exe.program.after_start", atStart);
    ReportMemory("exe.program.after_streaming", afterStreaming);
    BenchReport::Value("exe.program.handles_after_start", handlesAtStart, "handles");
    BenchReport::Value("exe.program.handles_streaming_connected", handlesWhileConnected, "handles");
    BenchReport::Value("exe.program.handles_after_disconnect", handlesAfter, "handles");
    BenchReport::Value("exe.program.threads_after_start", threadsAtStart, "threads");
    BenchReport::Value("exe.program.threads_streaming_connected", threadsWhileConnected, "threads");
    BenchReport::Value("exe.program.threads_after_disconnect", threadsAfter, "threads");
    BenchReport::Value("exe.program.exit_code", exitCode, "code");
    return exitCode == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--bare-child") return RunBareChild(std::atoi(argv[2]));
    try {
        return Run(ParseOptions(argc, argv));
    } catch (const DeviceError& error) {
        std::fprintf(stderr, "device: %s\n", error.what());
        return 1;
    }
}
