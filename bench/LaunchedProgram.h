#pragma once
// A Windows program started by a benchmark: its process, its visible main
// window, its CPU time and memory as the system reports them, and a clean end.
#include <windows.h>

#include <psapi.h>

#include <string>

#include "WHandle.h"

class LaunchedProgram {
public:
    LaunchedProgram() = default;
    // Ends the program (close message, then termination) if it still runs.
    ~LaunchedProgram();
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;

    // Starts the program with the arguments; false when it cannot be started.
    bool Launch(const std::string& path, const std::string& arguments = std::string());
    // Waits until the program shows a top-level window; the window, or
    // nullptr on time-out or when the program ended.
    HWND WaitForVisibleWindow(DWORD timeoutMs);
    // Whether its window handles a message within the time-out.
    bool Answers(DWORD timeoutMs) const;

    HANDLE Process() const { return process_.Get(); }
    HWND Window() const { return window_; }

    DWORD ProcessId() const { return processId_; }
    // CPU time in ms of all its threads (Wine's own included); negative
    // when unknown.
    double CpuMs() const;
    // Memory counters of the process; false when unknown.
    bool Memory(PROCESS_MEMORY_COUNTERS& counters) const;

    // Closes the main window and waits for the end (bounded); the exit code,
    // or -1000 when it did not end in time (then it is terminated).
    int Close(DWORD timeoutMs);

private:
    WKernelHandle process_;
    DWORD processId_ = 0;
    std::string path_;
    mutable std::string unixPid_; // found on first use
    HWND window_ = nullptr;
};
