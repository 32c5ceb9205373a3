// Wall clock for POSIX hosts.
#include "platform/runtime.h"

#include <ctime>

namespace platform {

WallClockReading readWallClock() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    WallClockReading reading;
    reading.seconds = static_cast<int64_t>(now.tv_sec);
    reading.milliseconds = static_cast<int>(now.tv_nsec / 1000000);
    return reading;
}

}  // namespace platform
