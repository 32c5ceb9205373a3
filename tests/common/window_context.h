// A GL context made current on a window of the viewer's pixel format
// (double-buffered RGBA, 24-bit depth). The platform layer must be set up
// with a display backend.
#pragma once

#include "platform/gl_context.h"
#include "platform/platform.h"

namespace testing_support {

// The window's device context with a new context current on it, or null.
inline platform::HDC makeWindowContextCurrent(platform::Window* window) {
    using namespace platform::win;
    platform::HDC dc = platform::getDC(window);
    platform::PIXELFORMATDESCRIPTOR pfd;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    if (!platform::setPixelFormat(dc, platform::choosePixelFormat(dc, pfd), pfd)) return nullptr;
    return platform::wglMakeCurrent(dc, platform::wglCreateContext(dc)) ? dc : nullptr;
}

}  // namespace testing_support
