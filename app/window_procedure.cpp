#include "app/window_procedure.h"

#include <GL/gl.h>

#include "app/view_controls.h"
#include "app/viewer_state.h"
#include "glext/viewer_entry_points.h"

namespace app {

using namespace platform::win;

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

intptr_t windowProcedure(platform::Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_SIZE:
        glViewport(0, 0, static_cast<GLsizei>(platform::loWord(lParam)),
                   static_cast<GLsizei>(platform::hiWord(lParam)));
        break;
    case WM_CLOSE:
        // The window stays; the frame loop ends when it takes WM_QUIT.
        platform::postQuitMessage(0);
        return 0;
    case WM_CHAR:
        if (wParam == '1') viewerState.showIsosurface = !viewerState.showIsosurface;
        if (wParam == '2') viewerState.showTransparent = !viewerState.showTransparent;
        if (wParam == '3') viewerState.wobble = !viewerState.wobble;
        handleViewCharacter(static_cast<int>(wParam));
        break;
    case WM_KEYDOWN:
        handleViewKey(static_cast<unsigned>(wParam));
        break;
    case WM_MOUSEWHEEL:
        turnWheel(static_cast<int16_t>(platform::hiWord(static_cast<intptr_t>(wParam))));
        break;
    case WM_MOUSEMOVE:
        viewerState.mouseX = static_cast<int32_t>(platform::loWord(lParam));
        viewerState.mouseY = static_cast<int32_t>(platform::hiWord(lParam));
        break;
    case WM_LBUTTONDOWN:
        moveThreshold(-kThresholdStep);
        break;
    case WM_RBUTTONDOWN:
        moveThreshold(kThresholdStep);
        break;
    default:
        break;
    }
    return platform::defWindowProc(window, message, wParam, lParam);
}

}  // namespace app
