// The frame clock for POSIX hosts: monotonic, so that the wall clock being
// set (by NTP or by hand) never makes a measured rate wrong or negative.
#include <ctime>

#include "platform/runtime.h"

namespace platform {

ClockReading readFrameClock() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    ClockReading reading;
    reading.seconds = static_cast<int64_t>(now.tv_sec);
    reading.milliseconds = static_cast<int>(now.tv_nsec / 1000000);
    return reading;
}

}  // namespace platform
