// The frame clock for Windows hosts: the performance counter, which only
// moves forward whatever happens to the time of day.
#include <windows.h>

#include "platform/runtime.h"

namespace platform {

ClockReading readFrameClock() {
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    ClockReading reading;
    reading.seconds = now.QuadPart / frequency.QuadPart;
    reading.milliseconds = static_cast<int>(now.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
    return reading;
}

}  // namespace platform
