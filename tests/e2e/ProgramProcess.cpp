#include "ProgramProcess.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {
// How long a killed process may take to be gone.
constexpr DWORD kKillWaitMs = 5000;

// How long the Linux process behind a started program may take to show up.
constexpr DWORD kUnixProcessWaitMs = 5000;
// Linux counts process times in ticks of 1/100 s (USER_HZ).
constexpr double kMsPerTick = 10.0;

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// A directory listing, closed with the object.
class FileSearch {
public:
    FileSearch(const char* pattern, WIN32_FIND_DATAA& first) : handle_(FindFirstFileA(pattern, &first)) {}
    ~FileSearch()
    {
        if (IsOpen()) FindClose(handle_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA& entry) { return FindNextFileA(handle_, &entry) != FALSE; }

private:
    HANDLE handle_;
};

// Linux processes (seen through drive Z:) whose command line starts with the
// program's Windows path, as Wine shows it.
std::set<unsigned long> UnixProcessesRunning(const std::string& windowsPath)
{
    std::set<unsigned long> found;
    WIN32_FIND_DATAA entry{};
    FileSearch search("Z:\\proc\\*", entry);
    if (!search.IsOpen()) return found;
    do {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry.cFileName, &end, 10);
        if (pid == 0 || *end != '\0') continue;
        const std::string commandLine = ReadWholeFile("Z:\\proc\\" + std::string(entry.cFileName) + "\\cmdline");
        if (commandLine.compare(0, windowsPath.size(), windowsPath) == 0) found.insert(pid);
    } while (search.Next(entry));
    return found;
}

// One entry of the system's handle list (SystemHandleInformation).
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE handleFlags;
    USHORT handleValue;
    PVOID objectPointer;
    ULONG accessMask;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr SYSTEM_INFORMATION_CLASS kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

using QuerySystemInformation = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

long CountHandlesInSystemList(DWORD processId)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto query = ntdll ? reinterpret_cast<QuerySystemInformation>(
                             reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")))
                       : nullptr;
    if (!query) return -1;
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status =
            query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return -1;
        const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
        long count = 0;
        for (ULONG i = 0; i < list->count; ++i) {
            if (list->entries[i].ownerPid == processId) ++count;
        }
        return count;
    }
    return -1;
}
} // namespace

std::string WindowsPathOf(const std::string& path)
{
    if (path.size() > 1 && path[1] == ':') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return windows;
}

ProgramProcess::ProgramProcess(const std::string& windowsPath)
{
    const std::set<unsigned long> before = UnixProcessesRunning(windowsPath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> commandLine;
    const std::string quoted = "\"" + windowsPath + "\"";
    commandLine.assign(quoted.begin(), quoted.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(windowsPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        throw std::runtime_error("cannot start " + windowsPath + ", error " + std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    id_ = info.dwProcessId;
    FindUnixProcess(windowsPath, before);
}

void ProgramProcess::FindUnixProcess(const std::string& windowsPath, const std::set<unsigned long>& before)
{
    const DWORD start = GetTickCount();
    while (unixPid_ == 0 && GetTickCount() - start < kUnixProcessWaitMs && IsRunning()) {
        for (unsigned long pid : UnixProcessesRunning(windowsPath)) {
            if (!before.count(pid)) unixPid_ = pid;
        }
        if (unixPid_ == 0) Sleep(20);
    }
}

ProgramProcess::~ProgramProcess()
{
    if (IsRunning()) Kill();
}

bool ProgramProcess::IsRunning() const
{
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool ProgramProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode)
{
    if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(process_.Get(), &exitCode) != FALSE;
}

void ProgramProcess::Kill()
{
    TerminateProcess(process_.Get(), 0xDEAD);
    WaitForSingleObject(process_.Get(), kKillWaitMs);
}

long ProgramProcess::HandleCount() const
{
    DWORD count = 0;
    if (GetProcessHandleCount(process_.Get(), &count) && count > 0) return static_cast<long>(count);
    // Wine answers 0 for another process: count its entries in the system's
    // handle list instead.
    return CountHandlesInSystemList(id_);
}

long ProgramProcess::ThreadCount() const
{
    WKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    long count = 0;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == id_) ++count;
    }
    return count;
}

double ProgramProcess::CpuTimeMs() const
{
    // GetProcessTimes of another process is far too low under Wine (it
    // misses most of the threads' time); Linux keeps the true figures.
    if (unixPid_ == 0) return -1.0;
    const std::string stat = ReadWholeFile("Z:\\proc\\" + std::to_string(unixPid_) + "\\stat");
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return -1.0;
    // After the name: state, then fields 4 to 13, then utime and stime.
    std::istringstream fields(stat.substr(afterName + 1));
    std::string field;
    for (int i = 3; i <= 13 && fields >> field; ++i) {
    }
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system)) return -1.0;
    return static_cast<double>(user + system) * kMsPerTick;
}
