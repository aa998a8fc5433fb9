#pragma once
// The benchmarks' view of this process's memory, in kB.

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <fstream>
#include <string>
#endif

namespace benchsupport {

// The resident memory (working set on Windows) of this process in kB, 0 when it cannot be read.
inline long residentKilobytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return 0;
    }
    return static_cast<long>(counters.WorkingSetSize / 1024);
#else
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return 0;
#endif
}

#ifndef _WIN32
// The peak resident memory since the last resetPeakResident() (Linux: VmHWM), 0 when unknown.
inline long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return 0;
}

// Starts a new peak at the current resident memory (Linux 4.0 and later).
inline void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
#endif

} // namespace benchsupport
