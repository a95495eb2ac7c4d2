#pragma once
// The Linux side of processes under Wine, read through Wine's view of the
// root file system (drive Z:): CPU time of all of a process's threads, Wine's
// own included, which the Windows process list does not count.
#include <string>

class UnixProcess {
public:
    // User + system CPU time in ms of a process ("self", or a pid); negative
    // when unknown. Resolution 10 ms.
    static double CpuMs(const std::string& pid);
    // The pid of the Wine process started from this Windows path (the first
    // word of its command line); empty when there is none.
    static std::string PidOfProgram(const std::string& windowsPath);
    // The harness's wine server (its pid file in LF_HARNESS_DIR); empty when unknown.
    static std::string WineServerPid();
};
