// vcomd on its own: a real daemon in a scratch directory, driven over its
// control connection, with the program's end of each pty opened here.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A control connection: one command line out, one reply line back.
class Control {
public:
    explicit Control(int tcpPort)
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(tcpPort));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Control() { close(fd_); }
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    bool connected() const { return connected_; }
    void Send(const std::string& line)
    {
        std::string out = line + "\n";
        ASSERT_EQ(send(fd_, out.data(), out.size(), MSG_NOSIGNAL), static_cast<ssize_t>(out.size()));
    }
    // The next reply line, or "<no reply>" after 10 s.
    std::string Reply()
    {
        auto deadline = Clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (size_t end = in_.find('\n'); end != std::string::npos) {
                std::string line = in_.substr(0, end);
                in_.erase(0, end + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd p {fd_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
                return "<no reply>";
            char chunk[65536];
            ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0)
                return "<closed>";
            in_.append(chunk, static_cast<size_t>(n));
        }
    }
    std::string operator()(const std::string& line)
    {
        Send(line);
        return Reply();
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    std::string in_;
};

class VcomdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vcomd_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            execl(VCOMD_PATH, VCOMD_PATH, "--dir", dir_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(WaitFor([&] { return fs::exists(dir_ / "vcomd.port"); }, std::chrono::seconds(10)));
        std::ifstream(dir_ / "vcomd.port") >> tcpPort_;
        control_ = std::make_unique<Control>(tcpPort_);
        ASSERT_TRUE(control_->connected());
    }

    void TearDown() override
    {
        control_.reset();
        if (pid_ > 0 && Stop() < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : opened_)
            close(fd);
        fs::remove_all(dir_);
    }

    // SIGTERM and a bounded wait; the exit status, or -1 when it did not end.
    int Stop()
    {
        kill(pid_, SIGTERM);
        int status = 0;
        bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, std::chrono::seconds(10));
        pid_ = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Link(int port) const { return (dir_ / "ports" / ("com" + std::to_string(port))).string(); }

    // The program's end of COMn, non-blocking.
    int OpenProgramEnd(int port)
    {
        int fd = open(Link(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0)
            opened_.push_back(fd);
        return fd;
    }

    static std::string ReadAvailable(int fd, size_t count, std::chrono::milliseconds limit)
    {
        std::string bytes;
        WaitFor([&] {
            char chunk[4096];
            ssize_t n = read(fd, chunk, sizeof chunk);
            if (n > 0)
                bytes.append(chunk, static_cast<size_t>(n));
            return bytes.size() >= count;
        }, limit);
        return bytes;
    }

    fs::path dir_;
    pid_t pid_ = -1;
    int tcpPort_ = 0;
    std::unique_ptr<Control> control_;
    std::vector<int> opened_;
};

TEST_F(VcomdTest, CreateLinksTheProgramEndOfANewPair)
{
    std::string reply = (*control_)("CREATE 1");
    ASSERT_EQ(reply.rfind("OK /dev/pts/", 0), 0u) << reply;
    EXPECT_EQ(fs::read_symlink(Link(1)).string(), reply.substr(3));
    EXPECT_GE(OpenProgramEnd(1), 0);
}

TEST_F(VcomdTest, BytesGoBothWaysUnchanged)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    int program = OpenProgramEnd(1);
    ASSERT_GE(program, 0);

    EXPECT_EQ((*control_)("WRITE 1 0d0a00e4ff41"), "OK 6");
    EXPECT_EQ(ReadAvailable(program, 6, std::chrono::seconds(5)), std::string("\r\n\x00\xE4\xFF" "A", 6));

    const std::string sent("\x00\x01\xFC\r\n", 5);
    ASSERT_EQ(write(program, sent.data(), sent.size()), 5);
    EXPECT_EQ((*control_)("READ 1 5 5000"), "OK 0001fc0d0a");
}

TEST_F(VcomdTest, ReadReturnsWhatCameWhenTheTimeOutEnds)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    int program = OpenProgramEnd(1);
    EXPECT_EQ((*control_)("READ 1 10 100"), "OK");
    ASSERT_EQ(write(program, "abc", 3), 3);
    EXPECT_EQ((*control_)("READ 1 10 300"), "OK 616263");
    ASSERT_EQ(write(program, "xyz", 3), 3);
    EXPECT_EQ((*control_)("READ 1 2 5000"), "OK 7879");
    EXPECT_EQ((*control_)("FLUSH 1"), "OK");
    EXPECT_EQ((*control_)("READ 1 1 0"), "OK");
}

TEST_F(VcomdTest, PausedPortHoldsTheProgramsBytesUntilResumed)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    int program = OpenProgramEnd(1);
    ASSERT_EQ((*control_)("PAUSE 1"), "OK");
    size_t written = 0;
    std::string block(1024, 'p');
    for (int i = 0; i < 10000; ++i) {
        ssize_t n = write(program, block.data(), block.size());
        if (n <= 0)
            break;
        written += static_cast<size_t>(n);
    }
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, 10000u * 1024u) << "the pty must fill up while nobody drains it";
    EXPECT_EQ((*control_)("READ 1 1 0"), "OK");

    ASSERT_EQ((*control_)("RESUME 1"), "OK");
    std::string reply = (*control_)("READ 1 " + std::to_string(written) + " 5000");
    EXPECT_EQ(reply.size(), 3 + 2 * written);
}

TEST_F(VcomdTest, TermiosAndModemShowTheProgramsSettings)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    int program = OpenProgramEnd(1);
    EXPECT_EQ((*control_)("TERMIOS 1"), "OK baud=9600 data=8 parity=N stop=1 rtscts=0 xonxoff=0");
    EXPECT_EQ((*control_)("MODEM 1"), "OK dtr=0 rts=0");

    termios tio {};
    ASSERT_EQ(tcgetattr(program, &tio), 0);
    cfsetspeed(&tio, B115200);
    tio.c_cflag |= CSTOPB | CRTSCTS;
    ASSERT_EQ(tcsetattr(program, TCSANOW, &tio), 0);
    // What the modem-line library publishes for this pty.
    std::string pts = "pts" + fs::read_symlink(Link(1)).filename().string();
    std::ofstream(dir_ / "modem" / pts) << "dtr=1 rts=0 data=7 parity=E\n";

    EXPECT_EQ((*control_)("TERMIOS 1"), "OK baud=115200 data=7 parity=E stop=2 rtscts=1 xonxoff=0");
    EXPECT_EQ((*control_)("MODEM 1"), "OK dtr=1 rts=0");
}

TEST_F(VcomdTest, RemovedPortVanishesUnderTheProgram)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    int program = OpenProgramEnd(1);
    ASSERT_GE(program, 0);
    EXPECT_EQ((*control_)("REMOVE 1"), "OK");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link(1))));
    char byte;
    EXPECT_LE(read(program, &byte, 1), 0);
    EXPECT_NE(errno, EAGAIN) << "a hung-up pty reports the end, not 'try again'";
    EXPECT_EQ((*control_)("WRITE 1 00").substr(0, 3), "ERR");
}

TEST_F(VcomdTest, WaitingReadEndsWhenAnotherClientRemovesThePort)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    control_->Send("READ 1 10 20000");
    Control other(tcpPort_);
    EXPECT_EQ(other("REMOVE 1"), "OK");
    EXPECT_EQ(control_->Reply(), "ERR COM1 removed");
}

TEST_F(VcomdTest, DemoDeviceEchoesAndSendsMeasurements)
{
    ASSERT_EQ((*control_)("DEMO 2").substr(0, 2), "OK");
    int program = OpenProgramEnd(2);
    ASSERT_GE(program, 0);
    ASSERT_EQ(write(program, "ping", 4), 4);
    std::string seen;
    WaitFor([&] {
        seen += ReadAvailable(program, 1, std::chrono::milliseconds(100));
        return seen.find("ping") != std::string::npos && seen.find("V\r\n") != std::string::npos;
    }, std::chrono::seconds(5));
    EXPECT_NE(seen.find("ping"), std::string::npos) << seen;
    EXPECT_NE(seen.find("T=23."), std::string::npos) << seen;
}

TEST_F(VcomdTest, BadCommandsGetAnErrorAndTheConnectionStays)
{
    const char* bad[] = {
        "BOGUS 1", "CREATE 0", "CREATE 9", "READ 9 1 1", "READ 1 x 1", "WRITE 1 abc",
        "WRITE 1 zz", "WRITE 3 00", "READ 1 99999999999 1", "", "CREATE",
    };
    for (const char* command : bad)
        EXPECT_EQ((*control_)(command).substr(0, 4), "ERR ") << '"' << command << '"';
    EXPECT_EQ((*control_)("PING"), "OK");
}

TEST_F(VcomdTest, TerminationRemovesLinksAndThePortFile)
{
    ASSERT_EQ((*control_)("CREATE 1").substr(0, 2), "OK");
    ASSERT_EQ((*control_)("CREATE 5").substr(0, 2), "OK");
    EXPECT_EQ(Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link(1))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link(5))));
    EXPECT_FALSE(fs::exists(dir_ / "vcomd.port"));
}

} // namespace
