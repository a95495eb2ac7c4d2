// vcomd: virtual serial devices on pty pairs for the Wine test harness and
// the demo run. See DeviceServer.h for the files it keeps and the protocol.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceServer.h"

namespace {

void PrintUsage()
{
    std::fprintf(stderr,
                 "usage: vcomd --dir <harness dir> [--demo N]...\n"
                 "Listens on 127.0.0.1 (port written to <dir>/vcomd.port); one reply line per command:\n"
                 "  CREATE n | REMOVE n | WRITE n <hex> | READ n <count> <timeout_ms> | FLUSH n\n"
                 "  PAUSE n | RESUME n | TERMIOS n | MODEM n | DEMO n | PING\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir;
    std::vector<int> demos;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "--demo" && i + 1 < argc) {
            demos.push_back(std::atoi(argv[++i]));
        } else {
            PrintUsage();
            return 2;
        }
    }
    if (dir.empty()) {
        PrintUsage();
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    try {
        DeviceServer server(dir);
        for (int number : demos) {
            if (number < DeviceServer::kFirstPort || number > DeviceServer::kLastPort) {
                std::fprintf(stderr, "vcomd: demo port must be 1 to 8\n");
                return 2;
            }
            std::printf("vcomd: demo device on COM%d (%s)\n", number, server.StartDemo(number).c_str());
        }
        std::fflush(stdout);
        server.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vcomd: %s\n", e.what());
        return 1;
    }
    return 0;
}
