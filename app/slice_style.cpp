// The slice panes' inputs within viewer mode's drag style: a left press or
// drag moves the crosshair, a right drag sets window and level, the wheel
// and PgUp, PgDn, Up, Down step the pane's slice. They change only the
// slices (and the 3D view's mark), so the volume is not drawn again.
#include <cstdio>

#include "app/interactor_style.h"
#include "app/slice_panes.h"
#include "app/slice_view.h"

namespace app {

using namespace platform::win;

namespace {

void slicesChanged() {
    drawRequest.wanted = true;
    drawRequest.sliceInput = true;
}

void printCrosshair(const ScanSamples& scan) {
    std::printf("%s\n", crosshairLine(scan).c_str());
    std::fflush(stdout);
}

}  // namespace

void DragStyle::setPanes(const PaneLayout& panes, const ScanSamples& scan) {
    panes_ = panes;
    scan_ = &scan;
}

void DragStyle::pointCrosshairAt(int x, int y) {
    const SlicePlane plane = static_cast<SlicePlane>(slicePane_);
    const ImageRect image = planeImageRect(panes_, *scan_, plane);
    const double across = (x + 0.5 - image.x) / image.width;
    const double up = (image.y + image.height - (y + 0.5)) / image.height;
    const int before[3] = {sliceView.voxel[0], sliceView.voxel[1], sliceView.voxel[2]};
    pointCrosshair(*scan_, plane, across, up);
    if (before[0] != sliceView.voxel[0] || before[1] != sliceView.voxel[1] || before[2] != sliceView.voxel[2])
        printCrosshair(*scan_);
    slicesChanged();
}

bool DragStyle::sliceButtonDown(PointerButton button, int x, int y) {
    if (scan_ == nullptr || !sliceView.enabled || button == PointerButton::middle) return false;
    slicePane_ = slicePaneAt(panes_, x, y);
    if (slicePane_ < 0) return false;
    if (button == PointerButton::left) {
        gesture_ = Gesture::crosshair;
        pointCrosshairAt(x, y);
    } else {
        gesture_ = Gesture::window;
        dragStartWindow_ = sliceView.window;
        slicesChanged();
    }
    return true;
}

void DragStyle::sliceDrag(int x, int y) {
    if (gesture_ == Gesture::crosshair) {
        pointCrosshairAt(x, y);
    } else {
        dragWindow(dragStartWindow_, x - lastX_, y - lastY_);
        slicesChanged();
    }
}

bool DragStyle::sliceWheel(int delta) {
    if (scan_ == nullptr || !sliceView.enabled) return false;
    const int pane = slicePaneAt(panes_, lastX_, lastY_);
    if (pane < 0) return false;
    // Finer wheels add up to whole notches, a slice each.
    sliceWheelTurn_ += delta;
    const int steps = sliceWheelTurn_ / WHEEL_DELTA;
    sliceWheelTurn_ %= WHEEL_DELTA;
    if (steps != 0 && stepSlice(*scan_, static_cast<SlicePlane>(pane), steps)) printCrosshair(*scan_);
    slicesChanged();
    return true;
}

bool DragStyle::sliceKey(unsigned virtualKey) {
    if (scan_ == nullptr || !sliceView.enabled || !panes_.fourPanes) return false;
    int steps = 0;
    if (virtualKey == VK_PRIOR || virtualKey == VK_UP) steps = 1;
    if (virtualKey == VK_NEXT || virtualKey == VK_DOWN) steps = -1;
    if (steps == 0) return false;
    // The pane under the pointer, or the axial one.
    const int pane = slicePaneAt(panes_, lastX_, lastY_);
    if (stepSlice(*scan_, static_cast<SlicePlane>(pane < 0 ? 0 : pane), steps)) printCrosshair(*scan_);
    slicesChanged();
    return true;
}

}  // namespace app
