#pragma once
// The program under test as a process of its own: started from its .exe,
// watched from outside (handle and thread counts, CPU time), waited for with a
// bound, and killed when it does not end in time. The destructor kills a
// process that is still running, so no test leaves one behind.
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>

#include "WHandle.h"

class ProgramProcess {
public:
    // Starts the program; throws std::runtime_error when it cannot be started.
    explicit ProgramProcess(const std::string& windowsPath);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }
    bool IsRunning() const;

    // Waits up to timeoutMs for the end; true when it ended (exitCode set).
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
    // Ends the process at once and waits (bounded) until it is gone.
    void Kill();

    // Open handles of the process (GetProcessHandleCount); -1 when unknown.
    long HandleCount() const;
    // Threads of the process (Toolhelp snapshot); -1 when unknown.
    long ThreadCount() const;
    // Kernel plus user time the process has used so far, in milliseconds
    // (from the Linux process behind it); -1 when unknown.
    double CpuTimeMs() const;

private:
    void FindUnixProcess(const std::string& windowsPath, const std::set<unsigned long>& before);

    WKernelHandle process_;
    DWORD id_ = 0;
    unsigned long unixPid_ = 0;
};

// The Windows path of a file given as a Unix path (drive Z: is the Unix
// root); a path that already has a drive letter is returned unchanged.
std::string WindowsPathOf(const std::string& path);
