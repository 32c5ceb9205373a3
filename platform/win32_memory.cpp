// Process memory figures for Windows hosts.
#include <windows.h>
// psapi.h uses the types windows.h declares.
#include <psapi.h>

#include "platform/runtime.h"

namespace platform {

namespace {

bool processCounters(PROCESS_MEMORY_COUNTERS& counters) {
    counters = PROCESS_MEMORY_COUNTERS{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) != 0;
}

}  // namespace

std::size_t peakResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    return processCounters(counters) ? counters.PeakWorkingSetSize : 0;
}

std::size_t residentBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    return processCounters(counters) ? counters.WorkingSetSize : 0;
}

std::size_t availableMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return static_cast<std::size_t>(status.ullAvailPhys);
}

// NOTE: the Windows heap returns freed large blocks to the system by itself.
void releaseFreeMemory() { HeapCompact(GetProcessHeap(), 0); }

// The Windows heap already maps large blocks apart.
void mapLargeBlocksApart() {}

// Large pages on Windows need a privilege that users do not hold.
void restartWithHugePages(char**) {}

}  // namespace platform
