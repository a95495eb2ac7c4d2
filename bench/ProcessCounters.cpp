#include "ProcessCounters.h"

#include <winternl.h>

#include <vector>

bool ProcessCounters::Query(DWORD processId, ProcessCounters& counters)
{
    std::vector<unsigned char> buffer(1 << 20);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &length))
           == static_cast<NTSTATUS>(0xC0000004L)) { // STATUS_INFO_LENGTH_MISMATCH
        if (buffer.size() >= (64u << 20)) return false;
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return false;
    for (std::size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == processId) {
            counters.cpuMs = static_cast<double>(entry->UserTime.QuadPart + entry->KernelTime.QuadPart) / 10000.0;
            counters.threads = entry->NumberOfThreads;
            counters.handles = entry->HandleCount;
            return true;
        }
        if (entry->NextEntryOffset == 0) return false;
        offset += entry->NextEntryOffset;
    }
}
