#pragma once
// One virtual serial port: a pty pair whose slave is the program's COMn and
// whose master is the device end. The link <ports>/comN points at the slave;
// Wine's port mapping names that link, so it never has to change.
//
// Bytes the program writes are drained from the master into a bounded buffer
// (unless paused) for the controller to read; bytes for the program are
// queued and written to the master as it takes them. In demo mode the port
// echoes what it receives and sends a measurement line once a second.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "UniqueFd.h"

class PtyPort {
public:
    static constexpr size_t kBufferLimit = 4u << 20;

    // Throws std::system_error when the pair or the link cannot be made.
    PtyPort(std::string linkPath, std::string modemDir);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    int masterFd() const { return master_.get(); }
    const std::string& slavePath() const { return slavePath_; }
    // EPOLLIN while draining, EPOLLOUT while bytes wait for the program.
    uint32_t wantedEvents() const;

    void DrainMaster();
    void WritePending();

    // Queues bytes for the program; returns how many were taken (the queue is bounded).
    size_t Send(std::string_view bytes);
    std::string TakeReceived(size_t maxCount);
    size_t receivedCount() const { return received_.size(); }
    void DropReceived();

    void SetPaused(bool paused) { paused_ = paused; }
    void SetDemo(bool demo) { demo_ = demo; }
    bool demo() const { return demo_; }
    void SendMeasurementLine();

    // "baud=19200 data=8 parity=N stop=1 rtscts=0 xonxoff=0": the slave's
    // termios, with the framing the program set (see the modem-line library).
    std::string DescribeLineSettings() const;
    // "dtr=1 rts=0", as the program set them through the modem-line library.
    std::string DescribeModemLines() const;

private:
    std::string ModemStatePath() const;
    std::string ReadModemState() const;
    void TakeFromMaster(std::string_view bytes);

    std::string linkPath_;
    std::string modemDir_;
    UniqueFd master_;
    UniqueFd slave_; // held so the master never sees a hang-up between the program's opens
    std::string slavePath_;
    int ptyNumber_ = -1;
    std::string received_;
    std::string toProgram_;
    bool paused_ = false;
    bool demo_ = false;
    unsigned measurementCount_ = 0;
};
