#pragma once
// Client of vcomd, the virtual serial device of the Wine test harness.
//
// Each COMn of the test prefix is mapped to a pty pair that vcomd makes on
// request; vcomd holds the device end. A test creates the port, lets the
// program open "COMn", and plays the device through this client: write bytes
// to the program, read what the program sent, see the line settings and the
// DTR/RTS lines the program set, pull the port away.
//
// Connects to 127.0.0.1:LF_VCOMD_PORT (set by wine-exec while the harness
// runs). Every call waits a bounded time; a failure (no daemon, an ERR reply,
// a broken connection) throws DeviceError, which gtest reports as a failure.
#include <winsock2.h>

#include <cstddef>
#include <stdexcept>
#include <string>

class DeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DeviceLineSettings {
    unsigned baud = 0;
    int dataBits = 0;
    char parity = 'N'; // N, E, O (M, S for mark and space)
    int stopBits = 0;
    bool rtsCts = false;
    bool xonXoff = false;
};

struct DeviceModemLines {
    bool dtr = false;
    bool rts = false;
};

class DeviceClient {
public:
    DeviceClient();                            // port from LF_VCOMD_PORT
    explicit DeviceClient(unsigned short tcpPort);
    ~DeviceClient();
    DeviceClient(const DeviceClient&) = delete;
    DeviceClient& operator=(const DeviceClient&) = delete;

    // Makes (or remakes, empty) the pty pair behind COMn; returns the pty's path.
    std::string Create(int port);
    // Closes the device end and removes the mapping: the port vanishes, as an
    // unplugged adapter does, even while the program holds it open.
    void Remove(int port);
    // Queues bytes for the program; returns how many were taken.
    size_t Write(int port, const std::string& bytes);
    // What the program sent, in order: waits until count bytes arrived or the
    // time-out passed; may return fewer.
    std::string Read(int port, size_t count, unsigned timeoutMs);
    // Drops what the program sent so far.
    void Flush(int port);
    // Stops and restarts taking the program's bytes, so its writes back up.
    void Pause(int port);
    void Resume(int port);
    // The line settings of the program's end of the pair.
    DeviceLineSettings Termios(int port);
    // DTR and RTS as the program set them.
    DeviceModemLines Modem(int port);
    // Makes COMn the demo device: echoes, and sends a measurement line each second.
    std::string Demo(int port);

    // One protocol line; returns the text after "OK" (without the space).
    std::string Command(const std::string& line, unsigned timeoutMs = 5000);

private:
    void Connect(unsigned short tcpPort);
    std::string ReceiveLine(unsigned timeoutMs);

    SOCKET socket_ = INVALID_SOCKET;
    bool winsockStarted_ = false;
    std::string pending_;
};
