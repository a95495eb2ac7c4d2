#include "DeviceClient.h"

#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

constexpr unsigned kReplyMargin = 5000; // on top of a READ's own time-out, for the daemon to answer

std::string EncodeHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex.push_back(digits[b >> 4]);
        hex.push_back(digits[b & 0x0f]);
    }
    return hex;
}

std::string DecodeHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string Numbered(const char* command, int port)
{
    return std::string(command) + " " + std::to_string(port);
}

// "key=value" from a reply such as "baud=19200 data=8 parity=N".
std::string Field(const std::string& reply, const std::string& key)
{
    std::istringstream in(reply);
    for (std::string word; in >> word;) {
        if (word.compare(0, key.size() + 1, key + "=") == 0)
            return word.substr(key.size() + 1);
    }
    throw DeviceError("vcomd reply without " + key + ": " + reply);
}

int IntField(const std::string& reply, const std::string& key)
{
    return std::stoi(Field(reply, key));
}

} // namespace

DeviceClient::DeviceClient()
{
    const char* port = std::getenv("LF_VCOMD_PORT");
    if (port == nullptr || *port == '\0')
        throw DeviceError("LF_VCOMD_PORT is not set: is the harness up (run through ctest or tools/harness up)?");
    Connect(static_cast<unsigned short>(std::atoi(port)));
}

DeviceClient::DeviceClient(unsigned short tcpPort)
{
    Connect(tcpPort);
}

DeviceClient::~DeviceClient()
{
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
    if (winsockStarted_)
        WSACleanup();
}

void DeviceClient::Connect(unsigned short tcpPort)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw DeviceError("WSAStartup failed");
    winsockStarted_ = true;
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET)
        throw DeviceError("socket failed");
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(tcpPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw DeviceError("cannot reach vcomd on 127.0.0.1:" + std::to_string(tcpPort));
}

std::string DeviceClient::ReceiveLine(unsigned timeoutMs)
{
    DWORD deadline = GetTickCount() + timeoutMs;
    for (;;) {
        size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        long left = static_cast<long>(deadline - GetTickCount());
        if (left <= 0)
            throw DeviceError("no reply from vcomd in time");
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait {left / 1000, (left % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
            continue;
        char chunk[65536];
        int n = recv(socket_, chunk, sizeof chunk, 0);
        if (n <= 0)
            throw DeviceError("connection to vcomd lost");
        pending_.append(chunk, static_cast<size_t>(n));
    }
}

std::string DeviceClient::Command(const std::string& line, unsigned timeoutMs)
{
    std::string request = line + "\n";
    for (size_t sent = 0; sent < request.size();) {
        int n = send(socket_, request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n <= 0)
            throw DeviceError("connection to vcomd lost");
        sent += static_cast<size_t>(n);
    }
    std::string reply = ReceiveLine(timeoutMs);
    if (reply == "OK")
        return {};
    if (reply.compare(0, 3, "OK ") == 0)
        return reply.substr(3);
    throw DeviceError("vcomd: " + line.substr(0, 60) + " -> " + reply);
}

std::string DeviceClient::Create(int port)
{
    return Command(Numbered("CREATE", port));
}

void DeviceClient::Remove(int port)
{
    Command(Numbered("REMOVE", port));
}

size_t DeviceClient::Write(int port, const std::string& bytes)
{
    return std::stoul(Command(Numbered("WRITE", port) + " " + EncodeHex(bytes)));
}

std::string DeviceClient::Read(int port, size_t count, unsigned timeoutMs)
{
    std::string request = Numbered("READ", port) + " " + std::to_string(count) + " " + std::to_string(timeoutMs);
    return DecodeHex(Command(request, timeoutMs + kReplyMargin));
}

void DeviceClient::Flush(int port)
{
    Command(Numbered("FLUSH", port));
}

void DeviceClient::Pause(int port)
{
    Command(Numbered("PAUSE", port));
}

void DeviceClient::Resume(int port)
{
    Command(Numbered("RESUME", port));
}

DeviceLineSettings DeviceClient::Termios(int port)
{
    std::string reply = Command(Numbered("TERMIOS", port));
    DeviceLineSettings settings;
    settings.baud = static_cast<unsigned>(IntField(reply, "baud"));
    settings.dataBits = IntField(reply, "data");
    settings.parity = Field(reply, "parity").at(0);
    settings.stopBits = IntField(reply, "stop");
    settings.rtsCts = IntField(reply, "rtscts") != 0;
    settings.xonXoff = IntField(reply, "xonxoff") != 0;
    return settings;
}

DeviceModemLines DeviceClient::Modem(int port)
{
    std::string reply = Command(Numbered("MODEM", port));
    return DeviceModemLines{IntField(reply, "dtr") != 0, IntField(reply, "rts") != 0};
}

std::string DeviceClient::Demo(int port)
{
    return Command(Numbered("DEMO", port));
}
