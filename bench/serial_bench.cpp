// Receive speed of the serial port object: throughput of 1 MB from the
// device end of a vcomd pty through the reader and the hand-over into a
// window, and the latency of one byte, each beside a bare Win32 reader
// (overlapped WaitCommEvent, ClearCommError, ReadFile) on the same port.
//
// Runs under Wine with the harness up (bench/run.sh). Usage:
//   serial_bench.exe [--port N] [--bytes N] [--rounds N] [--samples N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ArrivalCounter.h"
#include "BareReader.h"
#include "DeviceClient.h"
#include "Rs232Class.h"
#include "Stopwatch.h"
#include "WHandle.h"
#include "WWindow.h"

namespace {

constexpr DWORD kArrivalLimitMs = 120000;
constexpr DWORD kSampleLimitMs = 5000;

struct Options {
    int port = 4;
    std::size_t bytes = 1u << 20;
    int rounds = 3;
    int samples = 200;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size()) + 0.999999);
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

class Receiver {
public:
    virtual ~Receiver() = default;
    virtual const char* Name() const = 0;
    virtual bool Start(int port) = 0;
    virtual void Stop() = 0;
    // Whether this thread must dispatch messages for the bytes to arrive.
    virtual bool NeedsMessageLoop() const = 0;
    virtual ArrivalCounter& Arrivals() { return arrivals_; }

private:
    ArrivalCounter arrivals_;
};

// The program's way: Rs232Class, its reader, and a window whose UserEvent
// handler takes each block as the log does.
class PortObjectReceiver : public Receiver, public WObject {
public:
    PortObjectReceiver()
    {
        window_.Attach(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        window_.Connect(WEventId::User, this, WHandler(&PortObjectReceiver::OnUserEvent));
        port_.SetNotifyWindow(&window_);
    }
    ~PortObjectReceiver() override
    {
        port_.Close();
        HWND handle = window_.GetHandle();
        window_.Detach();
        DestroyWindow(handle);
    }
    const char* Name() const override { return "Rs232Class + window"; }
    bool Start(int port) override
    {
        port_.SetPort(port);
        port_.SetBaudrate(115200);
        return port_.Open() != 0;
    }
    void Stop() override { port_.Close(); }
    bool NeedsMessageLoop() const override { return true; }

private:
    bool OnUserEvent(WObject*, WEventData*)
    {
        char block[Rs232Class::kBlockSize];
        const int count = port_.GetReceivedCount();
        port_.CopyReceived(block);
        Arrivals().Add(static_cast<std::size_t>(count));
        return true;
    }

    WWindow window_;
    Rs232Class port_;
};

// The bare driver: the benchmarks' bare Win32 reader, reading at most
// `readLimit` bytes at a time.
class BareReceiver : public Receiver {
public:
    explicit BareReceiver(DWORD readLimit) : reader_(readLimit)
    {
        std::snprintf(name_, sizeof name_, "bare, reads <= %lu", static_cast<unsigned long>(readLimit));
    }
    const char* Name() const override { return name_; }
    bool NeedsMessageLoop() const override { return false; }
    bool Start(int port) override { return reader_.Start(port); }
    void Stop() override { reader_.Stop(); }
    ArrivalCounter& Arrivals() override { return reader_.Arrivals(); }

private:
    BareReader reader_;
    char name_[64];
};

// Waits for the receiver's arrival event, dispatching messages if it needs them.
bool AwaitArrival(Receiver& receiver, DWORD limitMs)
{
    const double end = Stopwatch::NowMs() + limitMs;
    HANDLE reached = receiver.Arrivals().Reached();
    for (;;) {
        const double left = end - Stopwatch::NowMs();
        if (left <= 0) {
            return false;
        }
        if (!receiver.NeedsMessageLoop()) {
            return WaitForSingleObject(reached, static_cast<DWORD>(left)) == WAIT_OBJECT_0;
        }
        const DWORD woke = MsgWaitForMultipleObjects(1, &reached, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            return true;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
}

// Plays the device from a thread of its own (the client call blocks), while
// this thread receives; the time runs from just before the device write to
// the arrival of the last byte.
bool TimeDelivery(DeviceClient& device, int port, const std::string& bytes, Receiver& receiver, DWORD limitMs,
                  double& elapsedMs)
{
    receiver.Arrivals().Expect(bytes.size());
    double startMs = 0;
    bool written = false;
    std::thread writer([&] {
        startMs = Stopwatch::NowMs();
        try {
            written = device.Write(port, bytes) == bytes.size();
        } catch (const DeviceError&) {
            written = false;
        }
    });
    const bool arrived = AwaitArrival(receiver, limitMs);
    writer.join();
    elapsedMs = receiver.Arrivals().ReachedAtMs() - startMs;
    return written && arrived;
}

struct Figures {
    std::string name;
    double bytesPerSecond = 0;
    double latencyMedianMs = 0;
    double latencyP99Ms = 0;
    bool ok = false;
};

Figures Measure(DeviceClient& device, const Options& options, Receiver& receiver)
{
    Figures figures;
    figures.name = receiver.Name();
    device.Create(options.port);
    if (!receiver.Start(options.port)) {
        std::fprintf(stderr, "%s: cannot open COM%d\n", receiver.Name(), options.port);
        return figures;
    }
    std::string payload(options.bytes, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 7 + i / 251);
    }
    std::vector<double> rates;
    for (int round = 0; round < options.rounds; ++round) {
        double elapsedMs = 0;
        if (!TimeDelivery(device, options.port, payload, receiver, kArrivalLimitMs, elapsedMs)) {
            std::fprintf(stderr, "%s: 1 MB did not arrive\n", receiver.Name());
            receiver.Stop();
            return figures;
        }
        rates.push_back(static_cast<double>(payload.size()) * 1000.0 / elapsedMs);
    }
    std::vector<double> latencies;
    for (int sample = 0; sample < options.samples; ++sample) {
        double elapsedMs = 0;
        if (!TimeDelivery(device, options.port, "x", receiver, kSampleLimitMs, elapsedMs)) {
            std::fprintf(stderr, "%s: a byte did not arrive\n", receiver.Name());
            receiver.Stop();
            return figures;
        }
        latencies.push_back(elapsedMs);
    }
    receiver.Stop();
    device.Remove(options.port);
    figures.bytesPerSecond = Percentile(rates, 50);
    figures.latencyMedianMs = Percentile(latencies, 50);
    figures.latencyP99Ms = Percentile(latencies, 99);
    figures.ok = true;
    return figures;
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (value <= 0) {
            continue;
        }
        if (name == "--port") {
            options.port = static_cast<int>(value);
        } else if (name == "--bytes") {
            options.bytes = static_cast<std::size_t>(value);
        } else if (name == "--rounds") {
            options.rounds = static_cast<int>(value);
        } else if (name == "--samples") {
            options.samples = static_cast<int>(value);
        }
    }
    return options;
}

void PrintRow(const Figures& f)
{
    std::printf("%-28s %14.0f %16.2f %12.2f\n", f.name.c_str(), f.bytesPerSecond, f.latencyMedianMs, f.latencyP99Ms);
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);
    try {
        DeviceClient device;
        std::vector<std::unique_ptr<Receiver>> receivers;
        receivers.push_back(std::make_unique<PortObjectReceiver>());
        receivers.push_back(std::make_unique<BareReceiver>(4096));
        receivers.push_back(std::make_unique<BareReceiver>(Rs232Class::kBlockSize));

        std::vector<Figures> results;
        for (auto& receiver : receivers) {
            results.push_back(Measure(device, options, *receiver));
            if (!results.back().ok) {
                return 1;
            }
        }
        std::printf("Receive from a vcomd pty under Wine, COM%d: %zu bytes x %d rounds (median), %d one-byte samples\n",
                    options.port, options.bytes, options.rounds, options.samples);
        std::printf("%-28s %14s %16s %12s\n", "reader", "bytes/s", "latency med ms", "p99 ms");
        for (const Figures& f : results) {
            PrintRow(f);
        }
        const Figures& program = results[0];
        for (std::size_t i = 1; i < results.size(); ++i) {
            const Figures& bare = results[i];
            const std::string label = "ratio to " + bare.name;
            std::printf("%-28s %14.3f %16.2f %12.2f\n", label.c_str(),
                        program.bytesPerSecond / bare.bytesPerSecond, program.latencyMedianMs / bare.latencyMedianMs,
                        program.latencyP99Ms / bare.latencyP99Ms);
        }
    } catch (const DeviceError& error) {
        std::fprintf(stderr, "device: %s\n", error.what());
        return 1;
    }
    return 0;
}
