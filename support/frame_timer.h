// Frame-rate meter: the rate is recomputed from a monotonic clock once per
// window of 60 frames and stays constant in between.
#pragma once

#include <cstdint>

#include "platform/runtime.h"

namespace support {

class FrameTimer {
public:
    using Clock = platform::ClockReading (*)();

    // Starts the first window now, so the first rate is a real one.
    explicit FrameTimer(Clock clock = &platform::readFrameClock);
    virtual ~FrameTimer() = default;

    // Counts one frame; every 60th call recomputes the rate.
    void update();
    // Frames per second of the last completed window; 1000 before the first.
    float framesPerSecond() const { return rate_; }

    static constexpr int kWindowFrames = 60;

private:
    int32_t lastSeconds_ = 0;
    int16_t lastMilliseconds_ = 0;
    int32_t frameCount_ = 0;
    float rate_ = 1000.0f;
    Clock clock_;
};

}  // namespace support
