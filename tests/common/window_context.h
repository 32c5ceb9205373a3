// A 400 x 400 window on the host's window system with a GL context of the viewer's
// pixel format (double-buffered RGBA, 24-bit depth) current on it, for tests
// that need a driver.
#pragma once

#include <string>

#include "platform/gl_context.h"
#include "platform/platform.h"

namespace testing_support {

struct WindowContext {
    platform::Window* window = nullptr;
    platform::HDC dc = nullptr;
    platform::HGLRC context = nullptr;
    std::string error;  // what failed; empty when the context is current
};

inline intptr_t passMessagesOn(platform::Window* w, unsigned m, uintptr_t wp, intptr_t lp) {
    return platform::defWindowProc(w, m, wp, lp);
}

// Sets up the backend, the host's by default (platform::terminate() ends it),
// opens the window and makes a new context current on it.
inline WindowContext openWindowWithContext(platform::Backend backend = platform::Backend::automatic) {
    using namespace platform::win;
    WindowContext w;
    if (!platform::init(backend)) {
        w.error = std::string("no display: ") + platform::lastError();
    } else if (!platform::registerClass({"test", CS_OWNDC | CS_DBLCLKS, passMessagesOn})) {
        w.error = "cannot register the class";
    } else if (!(w.window = platform::createWindow(
                     "test", "test", WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 400, 400))) {
        w.error = "cannot create the window";
    } else {
        w.dc = platform::getDC(w.window);
        platform::PIXELFORMATDESCRIPTOR pfd;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        if (!platform::setPixelFormat(w.dc, platform::choosePixelFormat(w.dc, pfd), pfd) ||
            !platform::wglMakeCurrent(w.dc, w.context = platform::wglCreateContext(w.dc))) {
            w.error = std::string("cannot make a context current on the window: ") + platform::lastError();
        }
    }
    return w;
}

}  // namespace testing_support
