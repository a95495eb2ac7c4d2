#include "DeviceStreamer.h"

#include <windows.h>

#include "DeviceClient.h"

DeviceStreamer::DeviceStreamer(int port, std::size_t blockBytes, unsigned periodMs)
    : thread_([this, port, blockBytes, periodMs] { Run(port, blockBytes, periodMs); })
{
}

DeviceStreamer::~DeviceStreamer()
{
    Stop();
}

std::size_t DeviceStreamer::Stop()
{
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return queued_.load();
}

std::string DeviceStreamer::Failure() const
{
    return failed_.load() ? failure_ : std::string();
}

void DeviceStreamer::Run(int port, std::size_t blockBytes, unsigned periodMs)
{
    try {
        DeviceClient device;
        // Printable lines with a counter: the log shows them readably.
        std::string block;
        unsigned line = 0;
        while (!stop_) {
            block.clear();
            while (block.size() < blockBytes) block += "stream line " + std::to_string(line++) + "\r\n";
            block.resize(blockBytes);
            queued_ += device.Write(port, block);
            Sleep(periodMs);
        }
    } catch (const std::exception& e) {
        failure_ = e.what();
        failed_ = true;
    }
}
