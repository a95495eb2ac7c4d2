#include "PtyPort.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace {

[[noreturn]] void ThrowErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

struct SpeedName {
    speed_t code;
    unsigned baud;
};

constexpr SpeedName kSpeeds[] = {
    {B50, 50}, {B75, 75}, {B110, 110}, {B134, 134}, {B150, 150}, {B200, 200}, {B300, 300},
    {B600, 600}, {B1200, 1200}, {B1800, 1800}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600},
    {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
    {B460800, 460800}, {B921600, 921600},
};

unsigned BaudOf(speed_t code)
{
    for (const auto& s : kSpeeds)
        if (s.code == code)
            return s.baud;
    return 0;
}

int DataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

char ParityOf(tcflag_t cflag)
{
    if (!(cflag & PARENB))
        return 'N';
    if (cflag & CMSPAR)
        return (cflag & PARODD) ? 'M' : 'S';
    return (cflag & PARODD) ? 'O' : 'E';
}

int PtyNumberOf(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return -1;
    return static_cast<int>((major(st.st_rdev) - 136) * 256 + minor(st.st_rdev));
}

// Points linkPath at target in one step, so a reader never finds it missing.
void ReplaceSymlink(const std::string& target, const std::string& linkPath)
{
    std::string temp = linkPath + ".new";
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0)
        ThrowErrno("symlink " + temp);
    if (rename(temp.c_str(), linkPath.c_str()) != 0) {
        int saved = errno;
        unlink(temp.c_str());
        errno = saved;
        ThrowErrno("rename " + linkPath);
    }
}

} // namespace

PtyPort::PtyPort(std::string linkPath, std::string modemDir)
    : linkPath_(std::move(linkPath)), modemDir_(std::move(modemDir))
{
    master_.reset(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master_.valid())
        ThrowErrno("posix_openpt");
    if (grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0)
        ThrowErrno("unlockpt");
    char name[128];
    if (ptsname_r(master_.get(), name, sizeof name) != 0)
        ThrowErrno("ptsname");
    slavePath_ = name;
    slave_.reset(open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!slave_.valid())
        ThrowErrno("open " + slavePath_);
    ptyNumber_ = PtyNumberOf(slave_.get());

    // A fresh line: raw 8N1 at 9600, no echo, DTR and RTS off.
    termios tio {};
    if (tcgetattr(slave_.get(), &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B9600);
        tcsetattr(slave_.get(), TCSANOW, &tio);
    }
    unlink(ModemStatePath().c_str());
    ReplaceSymlink(slavePath_, linkPath_);
}

PtyPort::~PtyPort()
{
    char target[256];
    ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == slavePath_)
        unlink(linkPath_.c_str());
    unlink(ModemStatePath().c_str());
}

std::string PtyPort::ModemStatePath() const
{
    return modemDir_ + "/pts" + std::to_string(ptyNumber_);
}

uint32_t PtyPort::wantedEvents() const
{
    uint32_t events = 0;
    bool room = demo_ ? toProgram_.size() < kBufferLimit : received_.size() < kBufferLimit;
    if (!paused_ && room)
        events |= EPOLLIN;
    if (!toProgram_.empty())
        events |= EPOLLOUT;
    return events;
}

void PtyPort::DrainMaster()
{
    char chunk[4096];
    for (;;) {
        size_t room = kBufferLimit - std::min(kBufferLimit, demo_ ? toProgram_.size() : received_.size());
        if (paused_ || room == 0)
            return;
        ssize_t n = read(master_.get(), chunk, std::min(room, sizeof chunk));
        if (n <= 0)
            return; // EAGAIN, or EIO while no slave is open
        TakeFromMaster(std::string_view(chunk, static_cast<size_t>(n)));
    }
}

void PtyPort::TakeFromMaster(std::string_view bytes)
{
    if (demo_)
        Send(bytes);
    else
        received_.append(bytes);
}

void PtyPort::WritePending()
{
    while (!toProgram_.empty()) {
        ssize_t n = write(master_.get(), toProgram_.data(), toProgram_.size());
        if (n <= 0)
            return;
        toProgram_.erase(0, static_cast<size_t>(n));
    }
}

size_t PtyPort::Send(std::string_view bytes)
{
    size_t room = kBufferLimit - std::min(kBufferLimit, toProgram_.size());
    size_t taken = std::min(room, bytes.size());
    toProgram_.append(bytes.substr(0, taken));
    WritePending();
    return taken;
}

std::string PtyPort::TakeReceived(size_t maxCount)
{
    size_t n = std::min(maxCount, received_.size());
    std::string bytes = received_.substr(0, n);
    received_.erase(0, n);
    return bytes;
}

void PtyPort::DropReceived()
{
    received_.clear();
    if (paused_)
        return;
    char chunk[4096];
    while (read(master_.get(), chunk, sizeof chunk) > 0) {
    }
}

void PtyPort::SendMeasurementLine()
{
    char line[64];
    unsigned step = measurementCount_++ % 10;
    std::snprintf(line, sizeof line, "T=%u.%u C U=5.0%u V\r\n", 23u, step, 1u + step % 3);
    Send(line);
}

std::string PtyPort::DescribeLineSettings() const
{
    termios tio {};
    if (tcgetattr(slave_.get(), &tio) != 0)
        return {};
    // The pty driver forces 8 data bits without parity; the modem-line
    // library keeps the framing the program asked for.
    int dataBits = DataBitsOf(tio.c_cflag);
    char parity = ParityOf(tio.c_cflag);
    std::string state = ReadModemState();
    if (auto at = state.find("data="); at != std::string::npos)
        std::sscanf(state.c_str() + at, "data=%d parity=%c", &dataBits, &parity);
    char text[128];
    std::snprintf(text, sizeof text, "baud=%u data=%d parity=%c stop=%d rtscts=%d xonxoff=%d",
                  BaudOf(cfgetospeed(&tio)), dataBits, parity, (tio.c_cflag & CSTOPB) ? 2 : 1,
                  (tio.c_cflag & CRTSCTS) ? 1 : 0, (tio.c_iflag & (IXON | IXOFF)) ? 1 : 0);
    return text;
}

std::string PtyPort::ReadModemState() const
{
    std::ifstream file(ModemStatePath());
    std::string line;
    std::getline(file, line);
    return line;
}

std::string PtyPort::DescribeModemLines() const
{
    int dtr = 0, rts = 0;
    std::sscanf(ReadModemState().c_str(), "dtr=%d rts=%d", &dtr, &rts);
    return "dtr=" + std::to_string(dtr != 0) + " rts=" + std::to_string(rts != 0);
}
