// What a backend must provide, and the state every backend shares. Only the
// layer's own files include this; backend-private types (WindowX11,
// ContextGLX, PbufferGLX; WindowWin32, ContextWGL, PbufferWGL) are declared
// in their backend's files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gl_context.h"
#include "platform/glyphs.h"
#include "platform/message_queue.h"
#include "platform/platform.h"

namespace platform {

struct WindowX11;
struct ContextGLX;
struct PbufferGLX;
struct WindowWin32;
struct ContextWGL;
struct PbufferWGL;

struct DeviceContext {
    Window* window = nullptr;  // exactly one of window and pbuffer is set
    Pbuffer* pbuffer = nullptr;
    int pixelFormat = 0;   // 0 until set
    Font* font = nullptr;  // selected by selectFont
};

struct Window {
    std::string className;
    std::string title;
    WindowProc procedure = nullptr;
    unsigned classStyle = 0;
    int width = 0, height = 0;  // client area
    bool visible = false;
    DeviceContext dc;
    WindowX11* x11 = nullptr;
    WindowWin32* win32 = nullptr;
};

struct RenderContext {
    int pixelFormat = 0;
    DeviceContext* dc = nullptr;  // where it is current, or null
    ContextGLX* glx = nullptr;
    ContextWGL* wgl = nullptr;
    // Extensions and version of this context, read the first time the
    // resolver needs them (the context is current then).
    bool featuresKnown = false;
    int majorVersion = 0, minorVersion = 0;
    std::string glExtensions;
};

struct Pbuffer {
    int width = 0, height = 0;
    int pixelFormat = 0;
    int textureFormat = 0;  // WGL_NO_TEXTURE_ARB, WGL_TEXTURE_RGB_ARB or _RGBA_ARB
    int textureTarget = 0;  // WGL_NO_TEXTURE_ARB or WGL_TEXTURE_2D_ARB
    bool mipmapTexture = false;
    bool bound = false;  // between wglBindTexImageARB and wglReleaseTexImageARB
    DeviceContext dc;
    PbufferGLX* glx = nullptr;
    PbufferWGL* wgl = nullptr;
};

// The operations of one backend. Pixel formats are numbered from 1 and
// described with WGL_ARB_pixel_format attributes; matching is shared code.
struct BackendOps {
    const char* prefix;  // error prefix, e.g. "X11"
    bool (*init)();
    void (*terminate)();

    bool (*createWindow)(Window& window);
    void (*destroyWindow)(Window& window);
    void (*showWindow)(Window& window, bool show);
    void (*pollEvents)();  // moves pending input into queue()
    // Blocks until the window system has input or the time passes (negative:
    // no limit), then moves it into queue().
    void (*waitEvents)(int timeoutMilliseconds);
    // Pointer capture for drags; null where the window system needs none.
    void (*setCapture)(Window* window);
    bool (*readWindowPixels)(Window& window, int& width, int& height, std::vector<unsigned char>& rgb);
    // Modal box; false when it cannot be shown (no display).
    bool (*messageBox)(const char* text, const char* caption);

    int (*formatCount)();
    // One WGL_ARB_pixel_format attribute of a format; false for unknown ones.
    bool (*formatAttribute)(int format, int attribute, int& value);
    // Whether the format can be set on the window (e.g. its X visual).
    bool (*formatFitsWindow)(int format, const Window& window);

    bool (*createContext)(RenderContext& context, DeviceContext& dc);
    void (*destroyContext)(RenderContext& context);
    bool (*makeCurrent)(DeviceContext* dc, RenderContext* context);
    bool (*swapBuffers)(DeviceContext& dc);

    bool (*createPbuffer)(Pbuffer& pbuffer);
    void (*destroyPbuffer)(Pbuffer& pbuffer);
    // Copies the buffer's rendered image into the texture bound to
    // GL_TEXTURE_2D of the current context, or has the driver bind it there.
    bool (*bindTexImage)(Pbuffer& pbuffer);
    // Ends a bind; null where bindTexImage made a copy and nothing is held.
    bool (*releaseTexImage)(Pbuffer& pbuffer);

    // The window system's own lookup, and GL_VERSION / GL_EXTENSIONS of the
    // current context.
    void* (*getGlProc)(const char* name);
    const char* (*glString)(unsigned name);
};

const BackendOps& nullBackend();
#if VOLVIEW_HAVE_X11
const BackendOps& x11Backend();
#endif
#if VOLVIEW_HAVE_WIN32
const BackendOps& win32Backend();
#endif

// The backend init() chose; null before init.
const BackendOps* backend();

// The queue every backend reports input to.
MessageQueue& queue();

// Reports an error through the sink: "<prefix>: <formatted text>".
// Reports a broken connection and ends the process (see
// setConnectionLostHandler); never returns.
[[noreturn]] void connectionLost(const char* detail);

void reportError(const char* prefix, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Every live window, in creation order.
const std::vector<std::unique_ptr<Window>>& windows();

// Shared pixel-format matching over the backend's formats.
// WGL_ARB_pixel_format semantics: booleans must match, sizes are minimums;
// candidates are ranked by the fewest surplus bits. `forWindow` limits the
// search to formats that fit it.
int chooseFormats(const int* intAttributes, const Window* forWindow, int* formats, int maxFormats);

// Releases every context and off-screen buffer through the backend.
void destroyContexts();

// The current context, or null.
RenderContext* currentContext();

// Whether a glyph backend can answer the request: a font selected into `dc`,
// metrics to fill, a Latin-1 code, no transform but the identity, and the
// metrics alone or an 8-bit coverage bitmap.
bool glyphRequestSupported(HDC dc, unsigned code, unsigned format, const GLYPHMETRICS* metrics,
                           const MAT2* transform);

}  // namespace platform
