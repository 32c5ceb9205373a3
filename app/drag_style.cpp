// Viewer mode's input: drags turn the volume, move the threshold or the
// picture, and leave the pose where they end; the wheel zooms about the
// cursor; F2 to F7 give the standard views.
#include <cmath>
#include <cstdint>

#include "app/interactor_style.h"
#include "app/view_controls.h"
#include "app/view_pose.h"
#include "app/viewer_state.h"

namespace app {

using namespace platform::win;

namespace {

constexpr float kPi = 3.14159265f;

// A drag across the whole picture turns the volume half round.
float turnPerPixel(int side) { return kPi / static_cast<float>(side > 0 ? side : 1); }

void changed() {
    drawRequest.wanted = true;
    drawRequest.volumeStale = true;
}

}  // namespace

void DragStyle::setPicture(platform::Window* window, int x, int y, int side) {
    window_ = window;
    pictureX_ = x;
    pictureY_ = y;
    pictureSide_ = side;
}

void DragStyle::onButtonDown(PointerButton button, int x, int y, unsigned keys, bool) {
    if (gesture_ != Gesture::none) return;  // one gesture at a time
    held_ = button;
    lastX_ = x;
    lastY_ = y;
    if (sliceButtonDown(button, x, y)) return;
    const bool shifted = (keys & MK_SHIFT) != 0;
    gesture_ = button == PointerButton::right               ? Gesture::threshold
               : button == PointerButton::middle || shifted ? Gesture::pan
                                                            : Gesture::turn;
}

void DragStyle::onButtonUp(PointerButton button) {
    if (button != held_ || gesture_ == Gesture::none) return;
    // The end of a slice gesture leaves the volume as it was.
    if (gesture_ == Gesture::crosshair || gesture_ == Gesture::window) drawRequest.sliceInput = true;
    gesture_ = Gesture::none;
    platform::releaseCapture();
}

void DragStyle::onMouseMove(int x, int y, unsigned keys) {
    // While a button is held the pointer is reported beyond the window too.
    x = static_cast<int16_t>(x);
    y = static_cast<int16_t>(y);
    const int dx = x - lastX_, dy = y - lastY_;
    // A release outside the window never arrives: the buttons held say so.
    const unsigned heldBit = held_ == PointerButton::left    ? MK_LBUTTON
                             : held_ == PointerButton::right ? MK_RBUTTON
                                                             : MK_MBUTTON;
    if (gesture_ != Gesture::none && (keys & heldBit) == 0) {
        gesture_ = Gesture::none;
        platform::releaseCapture();
    }
    if (gesture_ == Gesture::none || (dx == 0 && dy == 0)) {
        lastX_ = x;
        lastY_ = y;
        return;
    }
    const float zoom = zoomFactor(viewControls.zoomStep);
    switch (gesture_) {
    case Gesture::crosshair:
    case Gesture::window:
        sliceDrag(x, y);
        lastX_ = x;
        lastY_ = y;
        return;
    case Gesture::turn:
        turnPose(viewControls.pose, static_cast<float>(dx) * turnPerPixel(pictureSide_),
                 static_cast<float>(dy) * turnPerPixel(pictureSide_));
        break;
    case Gesture::pan: {
        const float scale = 1.0f / (static_cast<float>(pictureSide_) * zoom);
        panPose(viewControls.pose, static_cast<float>(dx) * scale, -static_cast<float>(dy) * scale);
        break;
    }
    case Gesture::threshold: {
        // Up makes the surface denser; whole steps only, the rest waits.
        const int steps = -dy / kThresholdPixels;
        if (steps == 0) {
            lastX_ = x;
            return;
        }
        viewerState.threshold += static_cast<float>(steps) * kThresholdStep;
        y = lastY_ - steps * kThresholdPixels;
        break;
    }
    case Gesture::none:
        break;
    }
    lastX_ = x;
    lastY_ = y;
    changed();
    drawRequest.moving = true;
    drawRequest.lastMove = std::chrono::steady_clock::now();
}

void DragStyle::onWheel(int delta) {
    if (sliceWheel(delta)) return;
    const float before = zoomFactor(viewControls.zoomStep);
    turnWheel(delta);
    const float after = zoomFactor(viewControls.zoomStep);
    if (after == before) return;
    // The point under the cursor stays where it is.
    const float side = static_cast<float>(pictureSide_ > 0 ? pictureSide_ : 1);
    const float cx = static_cast<float>(lastX_ - pictureX_) / side - 0.5f;
    const float cy = 0.5f - static_cast<float>(lastY_ - pictureY_) / side;
    const float change = 1.0f / after - 1.0f / before;
    panPose(viewControls.pose, cx * change, cy * change);
    changed();
}

void DragStyle::onKey(unsigned virtualKey) {
    if (sliceKey(virtualKey)) return;
    if (virtualKey >= VK_F2 && virtualKey <= VK_F7) {
        viewControls.pose = standardPose(static_cast<StandardView>(virtualKey - VK_F2));
        changed();
        return;
    }
    if (handleViewKey(virtualKey)) changed();
}

}  // namespace app
