// Wall clock for Windows hosts.
#include <windows.h>

#include "platform/runtime.h"

namespace platform {

WallClockReading readWallClock() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    // 100 ns ticks since 1601-01-01; 1970 is 11644473600 s later.
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const uint64_t sinceUnixEpoch = ticks - 116444736000000000ull;
    WallClockReading reading;
    reading.seconds = static_cast<int64_t>(sinceUnixEpoch / 10000000ull);
    reading.milliseconds = static_cast<int>(sinceUnixEpoch / 10000ull % 1000ull);
    return reading;
}

}  // namespace platform
