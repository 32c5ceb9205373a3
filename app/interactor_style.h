// What the pointer and the keys without a character do, as one of two
// styles over the same window procedure. The cursor-angle style is exact
// mode's: the cursor's position is the pose, a press moves the threshold.
// The drag style is viewer mode's: a left drag turns, a right drag moves the
// threshold, a middle (or Shift + left) drag moves the picture, the wheel
// zooms about the cursor and F2 to F7 give the standard views.
#pragma once

#include <chrono>

#include "app/pane_layout.h"
#include "app/scan_samples.h"
#include "platform/platform.h"

namespace app {

enum class PointerButton { left, right, middle };

class InteractorStyle {
public:
    virtual ~InteractorStyle() = default;
    // Client coordinates; `keys` holds MK_* of the buttons and keys held.
    virtual void onMouseMove(int x, int y, unsigned keys) = 0;
    // `second` is the second press of a double click.
    virtual void onButtonDown(PointerButton button, int x, int y, unsigned keys, bool second) = 0;
    virtual void onButtonUp(PointerButton button) = 0;
    // WHEEL_DELTA a notch, positive away from the user.
    virtual void onWheel(int delta) = 0;
    // WM_KEYDOWN's virtual-key code.
    virtual void onKey(unsigned virtualKey) = 0;
};

class CursorAngleStyle : public InteractorStyle {
public:
    void onMouseMove(int x, int y, unsigned keys) override;
    void onButtonDown(PointerButton button, int x, int y, unsigned keys, bool second) override;
    void onButtonUp(PointerButton) override {}
    void onWheel(int delta) override;
    void onKey(unsigned virtualKey) override;
};

class DragStyle : public InteractorStyle {
public:
    void onMouseMove(int x, int y, unsigned keys) override;
    void onButtonDown(PointerButton button, int x, int y, unsigned keys, bool second) override;
    void onButtonUp(PointerButton button) override;
    void onWheel(int delta) override;
    void onKey(unsigned virtualKey) override;

    // Where the picture lies in the window's client area (a square), and the
    // window, which keeps the pointer while a drag lasts.
    void setPicture(platform::Window* window, int x, int y, int side);
    // The panes of the window and the samples the slice panes show: in a
    // slice pane a left drag moves the crosshair, a right drag sets window
    // and level, the wheel and PgUp, PgDn, Up, Down step through slices.
    void setPanes(const PaneLayout& panes, const ScanSamples& scan);

private:
    enum class Gesture { none, turn, threshold, pan, crosshair, window };
    // The slice panes' side of the style (slice_style.cpp); each returns
    // false when the input is not theirs.
    bool sliceButtonDown(PointerButton button, int x, int y);
    void sliceDrag(int x, int y);
    bool sliceWheel(int delta);
    bool sliceKey(unsigned virtualKey);
    void pointCrosshairAt(int x, int y);
    PaneLayout panes_;
    const ScanSamples* scan_ = nullptr;
    int slicePane_ = -1;  // the pane of a slice gesture
    float dragStartWindow_ = 0.0f;
    int sliceWheelTurn_ = 0;
    Gesture gesture_ = Gesture::none;
    PointerButton held_ = PointerButton::left;
    int lastX_ = 0, lastY_ = 0;
    platform::Window* window_ = nullptr;
    int pictureX_ = 0, pictureY_ = 0, pictureSide_ = 400;
};

// What the waiting loop of viewer mode must draw: a frame when something
// changed; while a drag moves, cheap frames, and the full picture once it
// has rested for kSettleTime.
struct DrawRequest {
    bool wanted = true;
    // The volume must be drawn again; frames for the slice panes alone
    // show the last picture of it.
    bool volumeStale = true;
    bool sliceInput = false;  // the message being handled changed only the slices
    bool moving = false;      // a drag moved since the last full picture
    std::chrono::steady_clock::time_point lastMove{};
};
extern DrawRequest drawRequest;

constexpr std::chrono::milliseconds kSettleTime{300};

// Has the window procedure hand its input to the drag style from now on
// (the cursor-angle style until then).
DragStyle& useDragStyle();

// Isosurface threshold change per press, or per kThresholdPixels of a drag.
constexpr float kThresholdStep = 0.01f;
constexpr int kThresholdPixels = 4;

}  // namespace app
