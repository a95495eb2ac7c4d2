#include "DeviceServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#include "Hex.h"

namespace {

constexpr size_t kMaxClients = 32;
constexpr size_t kMaxReadCount = PtyPort::kBufferLimit;
constexpr long kMaxReadTimeoutMs = 60000;
constexpr auto kDemoPeriod = std::chrono::seconds(1);

enum class Source : uint32_t { Listener = 1, Signal, Client, Port };

uint64_t Tag(Source source, uint64_t id)
{
    return static_cast<uint64_t>(source) << 56 | id;
}

Source SourceOf(uint64_t tag)
{
    return static_cast<Source>(tag >> 56);
}

uint64_t IdOf(uint64_t tag)
{
    return tag & ((uint64_t(1) << 56) - 1);
}

[[noreturn]] void ThrowErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void EpollSet(int epoll, int op, int fd, uint32_t events, uint64_t tag)
{
    epoll_event ev {};
    ev.events = events;
    ev.data.u64 = tag;
    if (epoll_ctl(epoll, op, fd, &ev) != 0 && op != EPOLL_CTL_DEL)
        ThrowErrno("epoll_ctl");
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// A whole decimal number within [low, high], or -1.
long NumberArg(const std::string& text, long low, long high)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    long value = std::stol(text);
    return value >= low && value <= high ? value : -1;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string DataReply(const std::string& bytes)
{
    return bytes.empty() ? "OK" : "OK " + EncodeHex(bytes);
}

} // namespace

DeviceServer::DeviceServer(std::string harnessDir)
    : harnessDir_(std::move(harnessDir)),
      portsDir_(harnessDir_ + "/ports"),
      modemDir_(harnessDir_ + "/modem"),
      portFile_(harnessDir_ + "/vcomd.port")
{
    mkdir(harnessDir_.c_str(), 0755);
    mkdir(portsDir_.c_str(), 0755);
    mkdir(modemDir_.c_str(), 0755);

    epoll_.reset(epoll_create1(EPOLL_CLOEXEC));
    if (!epoll_.valid())
        ThrowErrno("epoll_create1");

    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGHUP);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signals_.reset(signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signals_.valid())
        ThrowErrno("signalfd");
    EpollSet(epoll_.get(), EPOLL_CTL_ADD, signals_.get(), EPOLLIN, Tag(Source::Signal, 0));

    listener_.reset(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener_.valid())
        ThrowErrno("socket");
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // the kernel picks a free port
    socklen_t length = sizeof address;
    if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_.get(), 16) != 0 ||
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        ThrowErrno("listen");
    EpollSet(epoll_.get(), EPOLL_CTL_ADD, listener_.get(), EPOLLIN, Tag(Source::Listener, 0));
    WritePortFile(ntohs(address.sin_port));
}

DeviceServer::~DeviceServer()
{
    ports_.clear(); // each port removes its link
    unlink(portFile_.c_str());
}

void DeviceServer::WritePortFile(int tcpPort)
{
    std::string temp = portFile_ + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << tcpPort << '\n';
        if (!out.flush())
            ThrowErrno("write " + temp);
    }
    if (rename(temp.c_str(), portFile_.c_str()) != 0)
        ThrowErrno("rename " + portFile_);
}

void DeviceServer::Run()
{
    epoll_event events[32];
    while (!stopping_) {
        int n = epoll_wait(epoll_.get(), events, 32, MillisecondsToNextDeadline(Clock::now()));
        if (n < 0 && errno != EINTR)
            ThrowErrno("epoll_wait");
        for (int i = 0; i < n; ++i) {
            uint64_t tag = events[i].data.u64;
            switch (SourceOf(tag)) {
            case Source::Listener: AcceptClients(); break;
            case Source::Signal: DrainSignal(); break;
            case Source::Client: ServeClient(IdOf(tag), events[i].events); break;
            case Source::Port: ServePort(static_cast<int>(IdOf(tag)), events[i].events); break;
            }
        }
        auto now = Clock::now();
        SendDemoLines(now);
        CompletePendingReads(now);
        for (auto it = clients_.begin(); it != clients_.end();) {
            RunCommands(*it->second);
            CompletePendingReads(now);
            if (!it->second->SendReplies()) {
                epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, it->second->fd(), nullptr);
                clientInterest_.erase(it->first);
                it = clients_.erase(it);
            } else {
                ++it;
            }
        }
        RefreshInterest();
    }
}

void DeviceServer::AcceptClients()
{
    for (;;) {
        UniqueFd socket(accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket.valid())
            return;
        if (clients_.size() >= kMaxClients)
            continue; // refused: closed at once
        uint64_t id = nextClientId_++;
        EpollSet(epoll_.get(), EPOLL_CTL_ADD, socket.get(), EPOLLIN, Tag(Source::Client, id));
        clientInterest_[id] = EPOLLIN;
        clients_[id] = std::make_unique<ControlClient>(std::move(socket));
    }
}

void DeviceServer::DrainSignal()
{
    signalfd_siginfo info;
    while (read(signals_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        stopping_ = true;
}

void DeviceServer::ServePort(int number, uint32_t events)
{
    PtyPort* port = FindPort(number);
    if (!port)
        return;
    if (events & (EPOLLIN | EPOLLHUP | EPOLLERR))
        port->DrainMaster();
    if (events & EPOLLOUT)
        port->WritePending();
}

void DeviceServer::ServeClient(uint64_t id, uint32_t events)
{
    auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    bool alive = true;
    if (events & (EPOLLIN | EPOLLHUP | EPOLLERR))
        alive = it->second->ReceiveAvailable();
    if (alive && (events & EPOLLOUT))
        alive = it->second->SendReplies();
    if (!alive) {
        epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, it->second->fd(), nullptr);
        clientInterest_.erase(id);
        clients_.erase(it);
    }
}

void DeviceServer::RunCommands(ControlClient& client)
{
    while (auto line = client.NextCommand()) {
        std::string reply = Execute(client, *line);
        if (!reply.empty())
            client.Reply(reply);
    }
}

PtyPort* DeviceServer::FindPort(int number)
{
    auto it = ports_.find(number);
    return it == ports_.end() ? nullptr : it->second.get();
}

std::string DeviceServer::CreatePort(int number)
{
    RemovePort(number);
    std::string link = portsDir_ + "/com" + std::to_string(number);
    auto port = std::make_unique<PtyPort>(link, modemDir_);
    EpollSet(epoll_.get(), EPOLL_CTL_ADD, port->masterFd(), port->wantedEvents(), Tag(Source::Port, number));
    portInterest_[number] = port->wantedEvents();
    std::string slave = port->slavePath();
    ports_[number] = std::move(port);
    return slave;
}

void DeviceServer::RemovePort(int number)
{
    auto it = ports_.find(number);
    if (it == ports_.end())
        return;
    epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, it->second->masterFd(), nullptr);
    portInterest_.erase(number);
    demos_.erase(number);
    ports_.erase(it);
    for (auto& [id, client] : clients_) {
        if (client->pendingRead && client->pendingRead->port == number) {
            client->pendingRead.reset();
            client->Reply("ERR COM" + std::to_string(number) + " removed");
        }
    }
}

std::string DeviceServer::StartDemo(int number)
{
    PtyPort* port = FindPort(number);
    std::string slave = port ? port->slavePath() : CreatePort(number);
    port = FindPort(number);
    port->DropReceived();
    port->SetDemo(true);
    demos_[number] = DemoSchedule{Clock::now() + kDemoPeriod};
    return slave;
}

std::string DeviceServer::Execute(ControlClient& client, const std::string& line)
{
    std::vector<std::string> words = Words(line);
    if (words.empty())
        return "ERR empty command";
    std::string command = Upper(words[0]);
    if (command == "PING")
        return "OK";
    if (words.size() < 2)
        return "ERR usage: " + command + " n ...";
    long number = NumberArg(words[1], kFirstPort, kLastPort);
    if (number < 0)
        return "ERR port number must be 1 to 8";
    int n = static_cast<int>(number);
    std::string name = "COM" + std::to_string(n);

    try {
        if (command == "CREATE")
            return "OK " + CreatePort(n);
        if (command == "DEMO")
            return "OK " + StartDemo(n);
    } catch (const std::system_error& e) {
        return std::string("ERR ") + e.what();
    }
    if (command == "REMOVE") {
        RemovePort(n);
        return "OK";
    }

    PtyPort* port = FindPort(n);
    if (!port)
        return "ERR no port " + name;
    if (command == "WRITE") {
        auto bytes = DecodeHex(words.size() > 2 ? words[2] : "");
        if (!bytes || words.size() > 3)
            return "ERR usage: WRITE n <hex>";
        return "OK " + std::to_string(port->Send(*bytes));
    }
    if (command == "READ") {
        long count = words.size() == 4 ? NumberArg(words[2], 0, kMaxReadCount) : -1;
        long timeout = words.size() == 4 ? NumberArg(words[3], 0, kMaxReadTimeoutMs) : -1;
        if (count < 0 || timeout < 0)
            return "ERR usage: READ n count timeout_ms (count <= 4194304, timeout_ms <= 60000)";
        port->DrainMaster();
        if (port->receivedCount() >= static_cast<size_t>(count) || timeout == 0)
            return DataReply(port->TakeReceived(static_cast<size_t>(count)));
        client.pendingRead = ControlClient::PendingRead{n, static_cast<size_t>(count),
                                                        Clock::now() + std::chrono::milliseconds(timeout)};
        return {};
    }
    if (command == "FLUSH") {
        port->DropReceived();
        return "OK";
    }
    if (command == "PAUSE" || command == "RESUME") {
        port->SetPaused(command == "PAUSE");
        return "OK";
    }
    if (command == "TERMIOS") {
        std::string settings = port->DescribeLineSettings();
        return settings.empty() ? "ERR tcgetattr failed" : "OK " + settings;
    }
    if (command == "MODEM")
        return "OK " + port->DescribeModemLines();
    return "ERR unknown command " + command;
}

void DeviceServer::CompletePendingReads(Clock::time_point now)
{
    for (auto& [id, client] : clients_) {
        if (!client->pendingRead)
            continue;
        const auto& wait = *client->pendingRead;
        PtyPort* port = FindPort(wait.port);
        if (!port)
            continue;
        if (port->receivedCount() >= wait.count || now >= wait.deadline) {
            client->Reply(DataReply(port->TakeReceived(wait.count)));
            client->pendingRead.reset();
        }
    }
}

void DeviceServer::SendDemoLines(Clock::time_point now)
{
    for (auto& [number, schedule] : demos_) {
        if (now < schedule.next)
            continue;
        if (PtyPort* port = FindPort(number))
            port->SendMeasurementLine();
        schedule.next = std::max(schedule.next + kDemoPeriod, now);
    }
}

int DeviceServer::MillisecondsToNextDeadline(Clock::time_point now) const
{
    auto next = now + std::chrono::seconds(10);
    for (const auto& [number, schedule] : demos_)
        next = std::min(next, schedule.next);
    for (const auto& [id, client] : clients_)
        if (client->pendingRead)
            next = std::min(next, client->pendingRead->deadline);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::max<decltype(ms)>(ms + 1, 0));
}

void DeviceServer::RefreshInterest()
{
    for (auto& [number, port] : ports_) {
        uint32_t wanted = port->wantedEvents();
        if (portInterest_[number] != wanted) {
            EpollSet(epoll_.get(), EPOLL_CTL_MOD, port->masterFd(), wanted, Tag(Source::Port, number));
            portInterest_[number] = wanted;
        }
    }
    for (auto& [id, client] : clients_) {
        uint32_t wanted = (client->wantsInput() ? uint32_t(EPOLLIN) : 0u) |
                          (client->hasUnsentReplies() ? uint32_t(EPOLLOUT) : 0u);
        if (clientInterest_[id] != wanted) {
            EpollSet(epoll_.get(), EPOLL_CTL_MOD, client->fd(), wanted, Tag(Source::Client, id));
            clientInterest_[id] = wanted;
        }
    }
}
