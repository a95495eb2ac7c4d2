#include "ControlClient.h"

#include <sys/socket.h>

#include <cerrno>

bool ControlClient::ReceiveAvailable()
{
    char chunk[65536];
    while (wantsInput()) {
        ssize_t n = recv(socket_.get(), chunk, sizeof chunk, MSG_DONTWAIT);
        if (n == 0)
            return false;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        in_.append(chunk, static_cast<size_t>(n));
        if (in_.size() > kMaxLine && in_.find('\n') > kMaxLine)
            return false;
    }
    return true;
}

std::optional<std::string> ControlClient::NextCommand()
{
    if (pendingRead || out_.size() > kReplyBacklogLimit)
        return std::nullopt;
    size_t end = in_.find('\n');
    if (end == std::string::npos)
        return std::nullopt;
    std::string line = in_.substr(0, end);
    in_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void ControlClient::Reply(const std::string& line)
{
    out_ += line;
    out_ += '\n';
}

bool ControlClient::SendReplies()
{
    while (!out_.empty()) {
        ssize_t n = send(socket_.get(), out_.data(), out_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        out_.erase(0, static_cast<size_t>(n));
    }
    return true;
}
