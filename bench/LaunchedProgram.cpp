#include "LaunchedProgram.h"

#include <vector>

#include "UnixProcess.h"

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

LaunchedProgram::~LaunchedProgram()
{
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) Close(10000);
}

bool LaunchedProgram::Launch(const std::string& path, const std::string& arguments)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::string line = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    path_ = path;
    unixPid_.clear();
    window_ = nullptr;
    return true;
}

HWND LaunchedProgram::WaitForVisibleWindow(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        WindowSearch search{processId_, nullptr};
        EnumWindows(&FindVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            window_ = search.found;
            return window_;
        }
        if (WaitForSingleObject(process_.Get(), 1) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

bool LaunchedProgram::Answers(DWORD timeoutMs) const
{
    DWORD_PTR result = 0;
    return window_ && SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

double LaunchedProgram::CpuMs() const
{
    if (unixPid_.empty()) unixPid_ = UnixProcess::PidOfProgram(path_);
    return UnixProcess::CpuMs(unixPid_);
}

bool LaunchedProgram::Memory(PROCESS_MEMORY_COUNTERS& counters) const
{
    counters = PROCESS_MEMORY_COUNTERS{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process_.Get(), &counters, sizeof counters) != FALSE;
}

int LaunchedProgram::Close(DWORD timeoutMs)
{
    if (!process_) return -1000;
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 5000);
        process_.Reset();
        return -1000;
    }
    GetExitCodeProcess(process_.Get(), &code);
    process_.Reset();
    return static_cast<int>(code);
}
