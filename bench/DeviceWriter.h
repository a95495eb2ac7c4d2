#pragma once
// Plays the device end of a virtual port from a thread of its own, so the
// thread under measurement (the program's UI thread, or a bare reader) never
// waits for the device's control connection. Each job records the moment its
// bytes were handed to the device.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class DeviceWriter {
public:
    DeviceWriter();
    ~DeviceWriter();
    DeviceWriter(const DeviceWriter&) = delete;
    DeviceWriter& operator=(const DeviceWriter&) = delete;

    // Starts writing `bytes` to the device end of COMn and returns at once.
    // The previous job must have ended (WaitIdle).
    void Start(int port, std::string bytes);
    // Waits until the device has taken the bytes of the last job (bounded);
    // false on time-out or when the device refused them.
    bool WaitIdle(unsigned timeoutMs);
    // Stopwatch time just before the last job's bytes went to the device.
    double LastStartMs() const { return startMs_.load(); }

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    bool busy_ = false;
    bool failed_ = false;
    int port_ = 0;
    std::string bytes_;
    std::atomic<double> startMs_{0.0};
    std::thread thread_;
};
