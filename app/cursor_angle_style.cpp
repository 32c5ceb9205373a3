// Exact mode's input: the cursor's position in pixels is the pose in
// degrees, each press moves the isosurface threshold one step.
#include <GL/gl.h>

#include "app/interactor_style.h"
#include "app/view_controls.h"
#include "app/viewer_state.h"
#include "glext/viewer_entry_points.h"

namespace app {

namespace {

// NOTE: the press writes the old threshold into environment parameter 1 of
// whatever context is current (the window's, where no program runs); only
// the alpha test of the next frame shows the change.
void moveThreshold(float step) {
    const float t = viewerState.threshold;
    if (vgl::glProgramEnvParameter4fARB != nullptr) {
        vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 1, t, t, t, t);
    }
    viewerState.threshold = t + step;
}

}  // namespace

void CursorAngleStyle::onMouseMove(int x, int y, unsigned) {
    viewerState.mouseX = static_cast<int32_t>(x);
    viewerState.mouseY = static_cast<int32_t>(y);
}

void CursorAngleStyle::onButtonDown(PointerButton button, int, int, unsigned, bool second) {
    // The second press of a double click moves nothing.
    if (second) return;
    if (button == PointerButton::left) moveThreshold(-kThresholdStep);
    if (button == PointerButton::right) moveThreshold(kThresholdStep);
}

void CursorAngleStyle::onWheel(int delta) { turnWheel(delta); }

void CursorAngleStyle::onKey(unsigned virtualKey) { handleViewKey(virtualKey); }

}  // namespace app
