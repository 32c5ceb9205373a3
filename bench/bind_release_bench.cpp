// Measures one bind and release of the off-screen image into the window's
// context, as the frame loop does every frame, at the deliverable sizes, and
// prints the milliseconds per bind and release as JSON.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>

#include "app/offscreen_request.h"
#include "platform/gl_context.h"
#include "platform/platform.h"

using namespace platform;
using namespace platform::win;

namespace {

intptr_t proc(Window* w, unsigned m, uintptr_t wp, intptr_t lp) { return defWindowProc(w, m, wp, lp); }

double measure(HDC dc, HGLRC context, int size, bool mipmap, int rounds) {
    int format = 0;
    UINT count = 0;
    wglChoosePixelFormatARB(dc, app::kOffscreenFormatRequest, nullptr, 1, &format, &count);
    const int attributes[] = {WGL_TEXTURE_FORMAT_ARB,
                              WGL_TEXTURE_RGBA_ARB,
                              WGL_TEXTURE_TARGET_ARB,
                              WGL_TEXTURE_2D_ARB,
                              WGL_MIPMAP_TEXTURE_ARB,
                              mipmap ? 1 : 0,
                              0,
                              0};
    HPBUFFERARB pbuffer = count ? wglCreatePbufferARB(dc, format, size, size, attributes) : nullptr;
    if (!pbuffer) return -1;
    HDC pdc = wglGetPbufferDCARB(pbuffer);
    HGLRC pcontext = wglCreateContext(pdc);
    wglMakeCurrent(pdc, pcontext);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    wglMakeCurrent(dc, context);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB);  // first bind allocates
    wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB);
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB);
        wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB);
    }
    glFinish();
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    glDeleteTextures(1, &texture);
    wglDeleteContext(pcontext);
    wglDestroyPbufferARB(pbuffer);
    return spent.count() / rounds;
}

}  // namespace

int main() {
    if (!init()) {
        messageBox(nullptr, lastError(), "bind_release_bench", MB_ICONERROR);
        return 1;
    }
    registerClass({"test", CS_OWNDC, proc});
    Window* window = createWindow("test", "test", WS_VISIBLE, 0, 0, 400, 400);
    HDC dc = getDC(window);
    PIXELFORMATDESCRIPTOR pfd;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    HGLRC context = nullptr;
    if (!window || !setPixelFormat(dc, choosePixelFormat(dc, pfd), pfd) ||
        !(context = wglCreateContext(dc)) || !wglMakeCurrent(dc, context)) {
        messageBox(nullptr, lastError(), "bind_release_bench", MB_ICONERROR);
        return 1;
    }
    std::printf("{\n  \"renderer\": \"%s\",\n  \"bind_release_ms\": {",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    // "mipmapped": a buffer with levels bound to a texture whose filter reads
    // them; "level0": a buffer without levels.
    const char* separator = "\n";
    for (int size : {512, 256})
        for (bool mipmap : {true, false}) {
            std::printf("%s    \"%d_%s\": %.3f", separator, size, mipmap ? "mipmapped" : "level0",
                        measure(dc, context, size, mipmap, 200));
            separator = ",\n";
        }
    std::printf("\n  }\n}\n");
    terminate();
    return 0;
}
