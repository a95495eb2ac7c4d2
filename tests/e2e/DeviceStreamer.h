#pragma once
// A device that keeps sending: a thread of its own, with its own connection
// to vcomd, queues a block of bytes every few milliseconds until stopped (or
// until the port is gone). Used to end or disconnect the program while data
// is arriving.
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

class DeviceStreamer {
public:
    // Starts streaming to COMn: blockBytes every periodMs (about 100 kB/s with
    // the defaults, near what the program shows).
    explicit DeviceStreamer(int port, std::size_t blockBytes = 1024, unsigned periodMs = 10);
    ~DeviceStreamer();
    DeviceStreamer(const DeviceStreamer&) = delete;
    DeviceStreamer& operator=(const DeviceStreamer&) = delete;

    // Stops and joins the thread; the number of bytes vcomd took.
    std::size_t Stop();
    std::size_t BytesQueued() const { return queued_.load(); }
    // After Stop: the text of the failure that ended the stream early, if any.
    std::string Failure() const;

private:
    void Run(int port, std::size_t blockBytes, unsigned periodMs);

    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> queued_{0};
    std::string failure_;
    std::atomic<bool> failed_{false};
    std::thread thread_;
};
