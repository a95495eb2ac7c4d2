#pragma once
// The virtual serial device daemon: pty ports on request, controlled over a
// line protocol on 127.0.0.1 (one reply line per command). One thread, one
// epoll loop; every wait is bounded by the next deadline.
//
// Files in the harness directory: vcomd.port (the TCP port, written once
// listening), ports/comN (links to the slaves), modem/ (DTR/RTS as published
// by the modem-line library). SIGTERM or SIGINT ends the loop; the links and
// the port file are removed.
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ControlClient.h"
#include "PtyPort.h"
#include "UniqueFd.h"

class DeviceServer {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 8;

    explicit DeviceServer(std::string harnessDir); // throws std::system_error
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // Makes COMn the demo device (echo, and a measurement line each second).
    std::string StartDemo(int number);
    // Serves until a termination signal arrives.
    void Run();

private:
    using Clock = std::chrono::steady_clock;
    struct DemoSchedule {
        Clock::time_point next;
    };

    void AcceptClients();
    void DrainSignal();
    void ServePort(int number, uint32_t events);
    void ServeClient(uint64_t id, uint32_t events);
    void RunCommands(ControlClient& client);
    // The reply, or empty when the command waits (a READ).
    std::string Execute(ControlClient& client, const std::string& line);
    std::string CreatePort(int number);
    void RemovePort(int number);
    PtyPort* FindPort(int number);
    void CompletePendingReads(Clock::time_point now);
    void SendDemoLines(Clock::time_point now);
    int MillisecondsToNextDeadline(Clock::time_point now) const;
    void RefreshInterest();
    void WritePortFile(int tcpPort);

    std::string harnessDir_;
    std::string portsDir_;
    std::string modemDir_;
    std::string portFile_;
    UniqueFd epoll_;
    UniqueFd listener_;
    UniqueFd signals_;
    bool stopping_ = false;
    uint64_t nextClientId_ = 1;
    std::map<uint64_t, std::unique_ptr<ControlClient>> clients_;
    std::map<uint64_t, uint32_t> clientInterest_;
    std::map<int, std::unique_ptr<PtyPort>> ports_;
    std::map<int, uint32_t> portInterest_;
    std::map<int, DemoSchedule> demos_;
};
