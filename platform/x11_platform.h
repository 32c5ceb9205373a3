// Private to the X11 and GLX backend files: the connection and the
// backend halves of windows, contexts and off-screen buffers.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

#include "platform/internal.h"

namespace platform {

struct LibraryX11 {
    Display* display = nullptr;
    int screen = 0;
    ::Window root = 0;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    unsigned numLockMask = 0;
    unsigned lastKeycode = 0;  // held key, to tell auto-repeat apart
    int errorCode = 0;         // last X error caught by the handler
    XErrorHandler previousHandler = nullptr;
    std::vector<GLXFBConfig> configs;  // pixel format n is configs[n - 1]
};

struct WindowX11 {
    ::Window handle = 0;
    Colormap colormap = 0;
    VisualID visual = 0;
};

struct ContextGLX {
    GLXContext handle = nullptr;
};

struct PbufferGLX {
    GLXPbuffer handle = 0;
    // Copies the image for bind: a context of the buffer's own format that
    // shares objects with `readerShares`, the context the image is bound in.
    GLXContext reader = nullptr;
    GLXContext readerShares = nullptr;
};

LibraryX11& x11();

// Catches X errors until the matching release; release returns the error
// code caught in between (0 for none) after flushing the request queue.
void grabErrors();
int releaseErrors();

// GLX half of the backend (glx_context.cpp).
bool glxInit();
void glxTerminate();
int glxFormatCount();
bool glxFormatAttribute(int format, int attribute, int& value);
bool glxFormatFitsWindow(int format, const Window& window);
// The X visual for windows: that of the best window format for double-buffered RGBA.
XVisualInfo* glxWindowVisual();
bool glxCreateContext(RenderContext& context, DeviceContext& dc);
void glxDestroyContext(RenderContext& context);
bool glxMakeCurrent(DeviceContext* dc, RenderContext* context);
bool glxSwapBuffers(DeviceContext& dc);
bool glxCreatePbuffer(Pbuffer& pbuffer);
void glxDestroyPbuffer(Pbuffer& pbuffer);
bool glxBindTexImage(Pbuffer& pbuffer);
void* glxGetGlProc(const char* name);
const char* glxGlString(unsigned name);

// The modal box (x11_message_box.cpp).
bool x11MessageBox(const char* text, const char* caption);

}  // namespace platform
