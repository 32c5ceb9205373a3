// Private to the X11 and GLX backend files: the connection and the
// backend halves of windows, contexts and off-screen buffers.
#pragma once

#include <GL/glx.h>
// glx.h first: it brings the GL types glext.h builds on.
#include <GL/glext.h>
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
    // Every live context; all of them share one object space, so a texture
    // drawn in one can be read in another.
    std::vector<GLXContext> contexts;
    unsigned drawablesDestroyed = 0;  // windows and pbuffers, counted as they go
    unsigned targetsMade = 0;         // textures drawn into in place of a pbuffer
};

struct WindowX11 {
    ::Window handle = 0;
    Colormap colormap = 0;
    VisualID visual = 0;
};

struct ContextGLX {
    GLXContext handle = nullptr;
    // This context's framebuffer object, made the first time it draws into an
    // off-screen buffer's texture, and the buffer it draws into now, if any.
    GLuint framebuffer = 0;
    unsigned framebufferTarget = 0;  // serial of the texture attached to it
    PbufferGLX* drawingInto = nullptr;
    // The drawable it was last made current on without an X error, and
    // drawablesDestroyed at that time.
    GLXDrawable provenDrawable = 0;
    unsigned provenAt = 0;
};

struct PbufferGLX {
    GLXPbuffer handle = 0;
    // Copies the image for bind: a context of the buffer's own format that
    // shares objects with `readerShares`, the context the image is bound in.
    GLXContext reader = nullptr;
    GLXContext readerShares = nullptr;
    // The texture the buffer's image is drawn into instead of its own colour
    // buffer, where the driver has framebuffer objects (glx_render_target.cpp);
    // 0 when the image lives in the buffer itself.
    GLuint texture = 0;
    GLuint depth = 0;        // renderbuffer beside it
    unsigned serial = 0;     // names the pair for ever; GL names are reused
    bool refused = false;    // the driver cannot draw into such a texture
    bool inTexture = false;  // the last drawing went into the texture
    GLsync drawn = nullptr;  // signalled when that drawing is done
    GLuint displaced = 0;    // the texture object the bind stood in for
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
bool glxReleaseTexImage(Pbuffer& pbuffer);

// Drawing an off-screen buffer's image straight into a texture
// (glx_render_target.cpp). DrawIntoTexture: the context was just made current
// on the buffer. StopDrawingIntoTexture: the context, still current, is about
// to be made current elsewhere. ForgetDrawnTexture: the buffer is going.
void glxDrawIntoTexture(Pbuffer& pbuffer, ContextGLX& context);
void glxStopDrawingIntoTexture(ContextGLX& context);
// Bind and release through the texture; false when the image is not there.
bool glxBindDrawnTexture(Pbuffer& pbuffer);
void glxReleaseDrawnTexture(Pbuffer& pbuffer);
void glxForgetDrawnTexture(Pbuffer& pbuffer);
void* glxGetGlProc(const char* name);
const char* glxGlString(unsigned name);

// The modal box (x11_message_box.cpp).
bool x11MessageBox(const char* text, const char* caption);

}  // namespace platform
