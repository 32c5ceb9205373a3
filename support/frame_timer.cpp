#include "support/frame_timer.h"

namespace support {

FrameTimer::FrameTimer(Clock clock) : clock_(clock) {
    const platform::ClockReading now = clock_();
    lastSeconds_ = static_cast<int32_t>(now.seconds);
    lastMilliseconds_ = static_cast<int16_t>(now.milliseconds);
}

void FrameTimer::update() {
    ++frameCount_;
    if (frameCount_ < kWindowFrames) return;
    const platform::ClockReading now = clock_();
    const int32_t seconds = static_cast<int32_t>(now.seconds);
    const int milliseconds = now.milliseconds;
    const double elapsed =
        static_cast<double>(seconds - lastSeconds_) + 0.001 * (milliseconds - lastMilliseconds_);
    lastSeconds_ = seconds;
    lastMilliseconds_ = static_cast<int16_t>(milliseconds);
    frameCount_ = 0;
    rate_ = static_cast<float>(kWindowFrames / elapsed);
}

}  // namespace support
