// The null backend: windows, input and contexts kept in memory, so the
// window procedure, the message loop and the WGL rules can be tested without
// a window system. Tests feed it through null_backend.h.
#include <cstring>
#include <string>

#include "platform/internal.h"
#include "platform/null_backend.h"

namespace platform {

using namespace win;

namespace {

struct NullState {
    std::string version = "2.1 Null";
    std::string extensions = "GL_ARB_multitexture GL_ARB_fragment_program";
    int boxes = 0;
    unsigned buttons = 0;  // MK_* of the buttons held
};

NullState& nullState() {
    static NullState instance;
    return instance;
}

// Formats: two for windows, two for off-screen buffers.
struct NullFormat {
    int window, pbuffer, doubleBuffer, colour, alpha, depth, stencil;
};
const NullFormat nullFormats[] = {
    {1, 0, 1, 24, 8, 24, 8},
    {1, 0, 1, 24, 0, 16, 0},
    {0, 1, 1, 24, 8, 16, 0},
    {0, 1, 0, 24, 8, 24, 0},
};

bool nullInit() {
    nullState().boxes = 0;
    nullState().buttons = 0;
    return true;
}
void nullTerminate() {}
bool nullCreateWindow(Window&) { return true; }
void nullDestroyWindow(Window&) {}
void nullShowWindow(Window&, bool) {}
void nullPollEvents() {}
// Nothing arrives from outside: tests queue their input before they wait.
void nullWaitEvents(int) {}
bool nullReadWindowPixels(Window&, int&, int&, std::vector<unsigned char>&) { return false; }
bool nullMessageBox(const char*, const char*) {
    ++nullState().boxes;
    return true;
}

int nullFormatCount() { return static_cast<int>(sizeof nullFormats / sizeof nullFormats[0]); }

bool nullFormatAttribute(int format, int attribute, int& value) {
    const NullFormat& f = nullFormats[format - 1];
    switch (attribute) {
    case WGL_DRAW_TO_WINDOW_ARB:
        value = f.window;
        return true;
    case WGL_DRAW_TO_PBUFFER_ARB:
        value = f.pbuffer;
        return true;
    case WGL_BIND_TO_TEXTURE_RGBA_ARB:
        value = f.pbuffer;
        return true;
    case WGL_BIND_TO_TEXTURE_RGB_ARB:
        value = f.pbuffer;
        return true;
    case WGL_SUPPORT_OPENGL_ARB:
        value = 1;
        return true;
    case WGL_DOUBLE_BUFFER_ARB:
        value = f.doubleBuffer;
        return true;
    case WGL_PIXEL_TYPE_ARB:
        value = WGL_TYPE_RGBA_ARB;
        return true;
    case WGL_COLOR_BITS_ARB:
        value = f.colour;
        return true;
    case WGL_RED_BITS_ARB:
    case WGL_GREEN_BITS_ARB:
    case WGL_BLUE_BITS_ARB:
        value = 8;
        return true;
    case WGL_ALPHA_BITS_ARB:
        value = f.alpha;
        return true;
    case WGL_DEPTH_BITS_ARB:
        value = f.depth;
        return true;
    case WGL_STENCIL_BITS_ARB:
        value = f.stencil;
        return true;
    case WGL_MAX_PBUFFER_WIDTH_ARB:
    case WGL_MAX_PBUFFER_HEIGHT_ARB:
        value = f.pbuffer ? 4096 : 0;
        return true;
    case WGL_MAX_PBUFFER_PIXELS_ARB:
        value = f.pbuffer ? 4096 * 4096 : 0;
        return true;
    default:
        return false;
    }
}

bool nullFormatFitsWindow(int format, const Window&) { return nullFormats[format - 1].window != 0; }
bool nullCreateContext(RenderContext&, DeviceContext&) { return true; }
void nullDestroyContext(RenderContext&) {}
bool nullMakeCurrent(DeviceContext*, RenderContext*) { return true; }
bool nullSwapBuffers(DeviceContext&) { return true; }
bool nullCreatePbuffer(Pbuffer&) { return true; }
void nullDestroyPbuffer(Pbuffer&) {}
bool nullBindTexImage(Pbuffer&) { return true; }

// Like libGL's lookup, it answers for any name.
void nullEntryPoint() {}
void* nullGetGlProc(const char*) { return reinterpret_cast<void*>(&nullEntryPoint); }

const char* nullGlString(unsigned name) {
    if (!currentContext()) return nullptr;
    return name == 0x1F02 ? nullState().version.c_str() : nullState().extensions.c_str();
}

}  // namespace

const BackendOps& nullBackend() {
    static const BackendOps ops = {
        "Null",
        nullInit,
        nullTerminate,
        nullCreateWindow,
        nullDestroyWindow,
        nullShowWindow,
        nullPollEvents,
        nullWaitEvents,
        nullptr,
        nullReadWindowPixels,
        nullMessageBox,
        nullFormatCount,
        nullFormatAttribute,
        nullFormatFitsWindow,
        nullCreateContext,
        nullDestroyContext,
        nullMakeCurrent,
        nullSwapBuffers,
        nullCreatePbuffer,
        nullDestroyPbuffer,
        nullBindTexImage,
        nullptr,
        nullGetGlProc,
        nullGlString,
    };
    return ops;
}

namespace null {

void pushMotion(Window* window, int x, int y, uint32_t time) {
    queue().motion(window, x, y, nullState().buttons, time);
}

void pushButton(Window* window, MouseButton button, bool pressed, int x, int y, uint32_t time) {
    const unsigned bit = button == MouseButton::left    ? MK_LBUTTON
                         : button == MouseButton::right ? MK_RBUTTON
                                                        : MK_MBUTTON;
    nullState().buttons = pressed ? nullState().buttons | bit : nullState().buttons & ~bit;
    queue().button(window, button, pressed, x, y, nullState().buttons, time,
                   (window->classStyle & CS_DBLCLKS) != 0);
}

void pushKey(Window* window, const KeyInput& key, uint32_t time) { queue().key(window, key, time); }

void pushResize(Window* window, int width, int height, uint32_t time) {
    window->width = width;
    window->height = height;
    queue().resize(window, width, height, time);
}

void pushClose(Window* window, uint32_t time) { queue().close(window, time); }

void setGlStrings(const char* version, const char* extensions) {
    nullState().version = version ? version : "";
    nullState().extensions = extensions ? extensions : "";
}

int messageBoxCount() { return nullState().boxes; }

}  // namespace null

}  // namespace platform
