// Process memory figures for Windows hosts.
#include <windows.h>
// psapi.h uses the types windows.h declares.
#include <psapi.h>

#include "platform/runtime.h"

namespace platform {

std::size_t peakResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

}  // namespace platform
