// The viewer window's procedure: keys 1, 2 and 3 switch the passes and the
// wobble, the cursor position turns the volume, the mouse buttons move the
// isosurface threshold, and the close box ends the frame loop. The other
// keys and the wheel go to the view controls (view_controls.h).
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace app {

// Threshold change per mouse press.
constexpr float kThresholdStep = 0.01f;

intptr_t windowProcedure(platform::Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);

}  // namespace app
