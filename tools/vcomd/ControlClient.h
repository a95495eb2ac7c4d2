#pragma once
// One controller on the TCP control connection: its line buffers and the
// READ it may be waiting on. Lines in, one reply line per command out.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "UniqueFd.h"

class ControlClient {
public:
    static constexpr size_t kMaxLine = 9u << 20;           // a WRITE of 4 MiB in hex, and some
    static constexpr size_t kReplyBacklogLimit = 1u << 20; // stop taking commands above this

    struct PendingRead {
        int port;
        size_t count;
        std::chrono::steady_clock::time_point deadline;
    };

    explicit ControlClient(UniqueFd socket) : socket_(std::move(socket)) {}

    int fd() const { return socket_.get(); }
    // Reads what has arrived. False when the peer has gone or sent an overlong line.
    bool ReceiveAvailable();
    // The next complete command line, without its line end, unless the client
    // waits for a READ or has too many unsent replies.
    std::optional<std::string> NextCommand();
    void Reply(const std::string& line);
    // Sends what the socket takes now. False on a broken connection.
    bool SendReplies();
    bool hasUnsentReplies() const { return !out_.empty(); }
    // False while enough unprocessed input is buffered; the socket then keeps the rest.
    bool wantsInput() const { return in_.size() < 2 * kMaxLine; }

    std::optional<PendingRead> pendingRead;

private:
    UniqueFd socket_;
    std::string in_;
    std::string out_;
};
