// A GL context made current on a window of the viewer's pixel format
// (double-buffered RGBA, 24-bit depth), for tests that need a driver.
#pragma once

#include <string>

#include "platform/gl_context.h"
#include "platform/platform.h"

namespace testing_support {

// The window's device context with a new context current on it, or null.
// The platform layer must be set up with a display backend.
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

inline intptr_t passMessagesOn(platform::Window* w, unsigned m, uintptr_t wp, intptr_t lp) {
    return platform::defWindowProc(w, m, wp, lp);
}

// Sets up the X11 backend, opens a 400 x 400 window and makes a new
// context current on it; an empty string, or what failed.
inline std::string openWindowWithContext() {
    using namespace platform::win;
    if (!platform::init(platform::Backend::x11)) return std::string("no display: ") + platform::lastError();
    if (!platform::registerClass({"test", CS_OWNDC, passMessagesOn})) return "cannot register the class";
    platform::Window* window =
        platform::createWindow("test", "test", WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 400, 400);
    if (window == nullptr) return "cannot create the window";
    return makeWindowContextCurrent(window) ? "" : "cannot make a context current on the window";
}

}  // namespace testing_support
