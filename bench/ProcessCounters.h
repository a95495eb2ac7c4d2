#pragma once
// CPU time, threads and handles of any process by its id, from the system's
// process list. (Under Wine, GetProcessTimes reports no CPU time for another
// process; the process list does, summed over the process's threads.)
#include <windows.h>

struct ProcessCounters {
    double cpuMs = 0.0; // kernel + user
    unsigned long threads = 0;
    unsigned long handles = 0;

    // False when the process is not in the list.
    static bool Query(DWORD processId, ProcessCounters& counters);
};
