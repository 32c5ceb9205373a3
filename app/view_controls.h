// The inputs added beside the passes, the pose and the threshold: looks and
// their level shift, zoom, a cut into the volume, screenshots, the help list
// and quitting from the keyboard. The window procedure hands keys and the
// wheel here; the frame loop applies the result in its next frame (see
// view_frame.h). One thread touches the state.
#pragma once

#include <chrono>

#include "app/view_pose.h"

namespace app {

struct ViewControls {
    int startLook = 0;  // index in looks()
    int look = 0;
    int shift = 0;      // level shift in notches
    int zoomStep = 0;   // zoom factor 2^(zoomStep / 2), 0 to kZoomSteps
    int wheelTurn = 0;  // wheel turn short of a whole notch
    bool cut = false;
    float cutOffset = 0.0f;  // the cut plane's slice parameter less the volume centre's
    bool help = false;
    bool tableStale = false;  // the transfer table must be made and uploaded again
    bool screenshotWanted = false;
    std::chrono::steady_clock::time_point lookShownUntil{};
    ViewPose pose;  // viewer mode's turn and pan
};

extern ViewControls viewControls;

// Zoom runs from 1 x to 8 x in steps of the square root of two.
constexpr int kZoomSteps = 6;
float zoomFactor(int zoomStep);

// How far one press of ',' or '.' moves the cut, in slice parameter.
constexpr float kCutStep = 0.04f;
// How long a look's name stays on screen after it changes.
constexpr std::chrono::seconds kLookNameTime{2};

// Puts the view at its start state in look `look` (passes, threshold and
// viewer mode's pose included) and makes that look the one `r` returns to.
void startInLook(int look);

// A character typed in the viewer window; false when it is none of ours.
bool handleViewCharacter(int character);

// A key without a character (WM_KEYDOWN's virtual-key code); false when it
// is none of ours.
bool handleViewKey(unsigned virtualKey);

// Zoom in (positive) or out by whole steps.
void zoomBy(int steps);

// The wheel turned by `delta` (WHEEL_DELTA a notch, positive away from the
// user: zoom in); finer wheels add up to whole notches.
void turnWheel(int delta);

// True while zoom, cut, shift and look are as at the start.
bool atStartState();

}  // namespace app
