// The frame timer with a scripted clock.
#include "support/frame_timer.h"

#include <gtest/gtest.h>

namespace {

platform::ClockReading scriptedNow;
platform::ClockReading readScripted() { return scriptedNow; }

void runFrames(support::FrameTimer& timer, int frames) {
    for (int i = 0; i < frames; ++i) timer.update();
}

TEST(FrameTimer, RecomputesOncePerSixtyFrames) {
    scriptedNow = {1000, 0};
    support::FrameTimer timer(&readScripted);
    EXPECT_EQ(timer.framesPerSecond(), 1000.0f);
    scriptedNow = {1002, 0};
    runFrames(timer, 59);
    EXPECT_EQ(timer.framesPerSecond(), 1000.0f);
    timer.update();  // 60th: 60 frames over 2 s, measured from construction
    EXPECT_EQ(timer.framesPerSecond(), 30.0f);
    scriptedNow = {1003, 250};
    runFrames(timer, 59);
    EXPECT_EQ(timer.framesPerSecond(), 30.0f);
    timer.update();
    EXPECT_EQ(timer.framesPerSecond(), 48.0f);
    // Across a wrap of the milliseconds: 60 frames in 25 ms.
    scriptedNow = {1004, 990};
    runFrames(timer, 60);
    scriptedNow = {1005, 15};
    runFrames(timer, 60);
    EXPECT_FLOAT_EQ(timer.framesPerSecond(), static_cast<float>(60 / 0.025));
}

}  // namespace
