#include "DeviceWriter.h"

#include <chrono>
#include <memory>

#include "DeviceClient.h"
#include "Stopwatch.h"

DeviceWriter::DeviceWriter()
    : thread_([this] { Run(); })
{
}

DeviceWriter::~DeviceWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DeviceWriter::Start(int port, std::string bytes)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        port_ = port;
        bytes_ = std::move(bytes);
        busy_ = true;
        failed_ = false;
    }
    changed_.notify_all();
}

bool DeviceWriter::WaitIdle(unsigned timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !busy_; })) return false;
    return !failed_;
}

void DeviceWriter::Run()
{
    // The device connection belongs to this thread; a failure to reach the
    // device makes every job fail.
    std::unique_ptr<DeviceClient> device;
    try {
        device = std::make_unique<DeviceClient>();
    } catch (const DeviceError&) {
        device.reset();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        // Idle between jobs; woken by Start or the destructor.
        if (!changed_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_ || busy_; })) continue;
        if (stop_) break;
        const int port = port_;
        const std::string bytes = bytes_;
        lock.unlock();
        bool ok = device != nullptr;
        if (ok) {
            try {
                startMs_.store(Stopwatch::NowMs());
                ok = device->Write(port, bytes) == bytes.size();
            } catch (const DeviceError&) {
                ok = false;
            }
        }
        lock.lock();
        failed_ = !ok;
        busy_ = false;
        changed_.notify_all();
    }
}
