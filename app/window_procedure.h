// The viewer window's procedure: keys 1, 2 and 3 switch the passes and the
// wobble, the other characters go to the view controls (view_controls.h),
// the pointer, the wheel and the keys without a character to the interactor
// style of the mode (interactor_style.h), and the close box ends the loop.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace app {

intptr_t windowProcedure(platform::Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);

}  // namespace app
