// The GLX half of the X11 backend: pixel formats as GLX frame-buffer
// configurations, contexts, off-screen buffers as GLX pbuffers, and binding
// an off-screen image as a texture of another context: the texture it was
// drawn into (glx_render_target.cpp) or else a copy in graphics memory.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/bind_mipmaps.h"
#include "platform/x11_platform.h"

namespace platform {

using namespace win;

namespace {

int configAttribute(int format, int name) {
    int value = 0;
    glXGetFBConfigAttrib(x11().display, x11().configs[format - 1], name, &value);
    return value;
}

bool plainRgba(int format) {
    // Multisampled and accumulation formats are never what the viewer wants.
    return (configAttribute(format, GLX_RENDER_TYPE) & GLX_RGBA_BIT) &&
           configAttribute(format, GLX_SAMPLE_BUFFERS) == 0 &&
           configAttribute(format, GLX_ACCUM_RED_SIZE) == 0;
}

bool drawsToPbuffer(int format) {
    // NOTE: Mesa's software rasteriser under Xvfb kills the process with
    // BadMatch (X_ShmPutImage) when drawing into a single-buffered RGBA
    // pbuffer. Only double-buffered configurations are offered; the image
    // the viewer draws (into the default, back, buffer) is what bind reads.
    return (configAttribute(format, GLX_DRAWABLE_TYPE) & GLX_PBUFFER_BIT) &&
           configAttribute(format, GLX_DOUBLEBUFFER);
}

void restoreCurrent(GLXDrawable draw, GLXDrawable read, GLXContext context) {
    if (context)
        glXMakeContextCurrent(x11().display, draw, read, context);
    else
        glXMakeContextCurrent(x11().display, None, None, nullptr);
}

}  // namespace

bool glxInit() {
    LibraryX11& lib = x11();
    int errorBase = 0, eventBase = 0, major = 0, minor = 0;
    if (!glXQueryExtension(lib.display, &errorBase, &eventBase)) {
        reportError("GLX", "The display has no GLX extension");
        return false;
    }
    if (!glXQueryVersion(lib.display, &major, &minor) || major < 1 || (major == 1 && minor < 3)) {
        reportError("GLX", "GLX 1.3 is required for off-screen buffers; the display has %d.%d", major, minor);
        return false;
    }
    int count = 0;
    GLXFBConfig* configs = glXGetFBConfigs(lib.display, lib.screen, &count);
    if (!configs || count == 0) {
        reportError("GLX", "The display offers no frame-buffer configurations");
        return false;
    }
    lib.configs.assign(configs, configs + count);
    XFree(configs);
    return true;
}

void glxTerminate() { x11().configs.clear(); }

int glxFormatCount() { return static_cast<int>(x11().configs.size()); }

bool glxFormatAttribute(int format, int attribute, int& value) {
    const bool pbuffer = drawsToPbuffer(format);
    switch (attribute) {
    case WGL_DRAW_TO_WINDOW_ARB:
        value = (configAttribute(format, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) &&
                configAttribute(format, GLX_VISUAL_ID) != 0;
        return true;
    case WGL_DRAW_TO_PBUFFER_ARB:
        value = pbuffer;
        return true;
    case WGL_SUPPORT_OPENGL_ARB:
        value = plainRgba(format);
        return true;
    case WGL_DOUBLE_BUFFER_ARB:
        value = configAttribute(format, GLX_DOUBLEBUFFER);
        return true;
    case WGL_PIXEL_TYPE_ARB:
        value = WGL_TYPE_RGBA_ARB;
        return true;
    case WGL_COLOR_BITS_ARB:
        value = configAttribute(format, GLX_RED_SIZE) + configAttribute(format, GLX_GREEN_SIZE) +
                configAttribute(format, GLX_BLUE_SIZE);
        return true;
    case WGL_RED_BITS_ARB:
        value = configAttribute(format, GLX_RED_SIZE);
        return true;
    case WGL_GREEN_BITS_ARB:
        value = configAttribute(format, GLX_GREEN_SIZE);
        return true;
    case WGL_BLUE_BITS_ARB:
        value = configAttribute(format, GLX_BLUE_SIZE);
        return true;
    case WGL_ALPHA_BITS_ARB:
        value = configAttribute(format, GLX_ALPHA_SIZE);
        return true;
    case WGL_DEPTH_BITS_ARB:
        value = configAttribute(format, GLX_DEPTH_SIZE);
        return true;
    case WGL_STENCIL_BITS_ARB:
        value = configAttribute(format, GLX_STENCIL_SIZE);
        return true;
    // Binding copies the image, so every off-screen format can be bound.
    case WGL_BIND_TO_TEXTURE_RGB_ARB:
        value = pbuffer;
        return true;
    case WGL_BIND_TO_TEXTURE_RGBA_ARB:
        value = pbuffer && configAttribute(format, GLX_ALPHA_SIZE) > 0;
        return true;
    case WGL_MAX_PBUFFER_WIDTH_ARB:
        value = pbuffer ? configAttribute(format, GLX_MAX_PBUFFER_WIDTH) : 0;
        return true;
    case WGL_MAX_PBUFFER_HEIGHT_ARB:
        value = pbuffer ? configAttribute(format, GLX_MAX_PBUFFER_HEIGHT) : 0;
        return true;
    case WGL_MAX_PBUFFER_PIXELS_ARB:
        value = pbuffer ? configAttribute(format, GLX_MAX_PBUFFER_PIXELS) : 0;
        return true;
    default:
        return false;
    }
}

bool glxFormatFitsWindow(int format, const Window& window) {
    // NOTE: an X window's visual is fixed when it is created, so only formats
    // of that visual can be set on it later.
    return window.x11 && static_cast<VisualID>(configAttribute(format, GLX_VISUAL_ID)) == window.x11->visual;
}

XVisualInfo* glxWindowVisual() {
    const int wanted[] = {WGL_DRAW_TO_WINDOW_ARB,
                          1,
                          WGL_DOUBLE_BUFFER_ARB,
                          1,
                          WGL_COLOR_BITS_ARB,
                          24,
                          WGL_DEPTH_BITS_ARB,
                          24,
                          0,
                          0};
    int format = 0;
    if (chooseFormats(wanted, nullptr, &format, 1) != 1) return nullptr;
    return glXGetVisualFromFBConfig(x11().display, x11().configs[format - 1]);
}

bool glxCreateContext(RenderContext& context, DeviceContext&) {
    auto native = std::make_unique<ContextGLX>();
    grabErrors();
    // Every context shares objects with the others, so that an off-screen
    // image drawn into a texture in one can be shown by another.
    std::vector<GLXContext>& live = x11().contexts;
    native->handle = glXCreateNewContext(x11().display, x11().configs[context.pixelFormat - 1], GLX_RGBA_TYPE,
                                         live.empty() ? nullptr : live.front(), True);
    if (releaseErrors() || !native->handle) {
        if (native->handle) glXDestroyContext(x11().display, native->handle);
        reportError("GLX", "Failed to create a context for pixel format %d", context.pixelFormat);
        return false;
    }
    live.push_back(native->handle);
    context.glx = native.release();
    return true;
}

void glxDestroyContext(RenderContext& context) {
    if (!context.glx) return;
    std::vector<GLXContext>& live = x11().contexts;
    live.erase(std::remove(live.begin(), live.end(), context.glx->handle), live.end());
    glXDestroyContext(x11().display, context.glx->handle);
    delete context.glx;
    context.glx = nullptr;
}

bool glxMakeCurrent(DeviceContext* dc, RenderContext* context) {
    Display* display = x11().display;
    const RenderContext* previous = currentContext();
    if (previous && previous->glx) glxStopDrawingIntoTexture(*previous->glx);
    if (!context) {
        glXMakeContextCurrent(display, None, None, nullptr);
        return true;
    }
    const GLXDrawable drawable =
        dc->window ? static_cast<GLXDrawable>(dc->window->x11->handle) : dc->pbuffer->glx->handle;
    // Catching X errors costs two round trips to the server. A pair that has
    // worked before works again unless a drawable has gone since, so the
    // frame loop's switches between its two pairs skip them.
    ContextGLX& native = *context->glx;
    const bool proven = native.provenDrawable == drawable && native.provenAt == x11().drawablesDestroyed;
    if (!proven) grabErrors();
    const Bool made = glXMakeContextCurrent(display, drawable, drawable, native.handle);
    if ((!proven && releaseErrors()) || !made) {
        native.provenDrawable = 0;
        // The previous context stays current; it goes on drawing where it did.
        if (previous && previous->glx && previous->dc && previous->dc->pbuffer)
            glxDrawIntoTexture(*previous->dc->pbuffer, *previous->glx);
        reportError("GLX", "Failed to make context current");
        return false;
    }
    native.provenDrawable = drawable;
    native.provenAt = x11().drawablesDestroyed;
    if (dc->pbuffer) glxDrawIntoTexture(*dc->pbuffer, native);
    return true;
}

bool glxSwapBuffers(DeviceContext& dc) {
    glXSwapBuffers(x11().display, dc.window->x11->handle);
    return true;
}

bool glxCreatePbuffer(Pbuffer& pbuffer) {
    const int attributes[] = {GLX_PBUFFER_WIDTH,
                              pbuffer.width,
                              GLX_PBUFFER_HEIGHT,
                              pbuffer.height,
                              GLX_PRESERVED_CONTENTS,
                              True,
                              GLX_LARGEST_PBUFFER,
                              False,
                              None};
    auto native = std::make_unique<PbufferGLX>();
    grabErrors();
    native->handle = glXCreatePbuffer(x11().display, x11().configs[pbuffer.pixelFormat - 1], attributes);
    if (releaseErrors() || !native->handle) {
        reportError("GLX", "Failed to create a %d x %d pbuffer", pbuffer.width, pbuffer.height);
        return false;
    }
    pbuffer.glx = native.release();
    return true;
}

void glxDestroyPbuffer(Pbuffer& pbuffer) {
    if (!pbuffer.glx) return;
    glxForgetDrawnTexture(pbuffer);
    ++x11().drawablesDestroyed;
    if (pbuffer.glx->reader) glXDestroyContext(x11().display, pbuffer.glx->reader);
    glXDestroyPbuffer(x11().display, pbuffer.glx->handle);
    delete pbuffer.glx;
    pbuffer.glx = nullptr;
}

namespace {

// Copies the read buffer of the current context into the texture bound to
// GL_TEXTURE_2D, with mipmap levels where the texture reads them.
void copyIntoBoundTexture(const Pbuffer& pbuffer) {
    const MipmapsWhileBinding mipmaps(pbuffer);
    GLint width = 0, height = 0, internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    const GLint wanted = pbuffer.textureFormat == WGL_TEXTURE_RGBA_ARB ? GL_RGBA8 : GL_RGB8;
    if (width == pbuffer.width && height == pbuffer.height && internal == wanted) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    } else {
        glCopyTexImage2D(GL_TEXTURE_2D, 0, wanted, 0, 0, pbuffer.width, pbuffer.height, 0);
    }
}

// The buffer's image: the viewer draws into the default draw buffer, the back
// buffer of a double-buffered pbuffer, and that is its front-left image.
GLenum imageBuffer(const Pbuffer& pbuffer) {
    return configAttribute(pbuffer.pixelFormat, GLX_DOUBLEBUFFER) ? GL_BACK : GL_FRONT;
}

}  // namespace

// Binds the pbuffer's image as the texture bound to GL_TEXTURE_2D of the
// current context. An image drawn into the buffer's texture is bound as it
// is. Otherwise it is copied without leaving graphics memory: when the
// current context has the buffer's own configuration, it reads the buffer as
// its read drawable for the copy; GLX accepts only drawables of the context's
// configuration there. Otherwise a context of the buffer's configuration,
// sharing objects with the current one, is made current on the buffer and
// copies into that same texture object. Either way the current context and
// its draw and read drawables are put back afterwards. The context that drew
// into the buffer has been flushed: it cannot be current now (bind refuses a
// buffer whose context is current), and making another context current in
// its place flushed it.
bool glxBindTexImage(Pbuffer& pbuffer) {
    if (glxBindDrawnTexture(pbuffer)) return true;
    Display* display = x11().display;
    PbufferGLX& native = *pbuffer.glx;
    const GLXContext previous = glXGetCurrentContext();
    const GLXDrawable previousDraw = glXGetCurrentDrawable();
    const GLXDrawable previousRead = glXGetCurrentReadDrawable();
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    if (!previous || texture == 0) {
        // The default texture object belongs to its context alone.
        reportError("GLX", "Binding a pbuffer's image needs a texture object bound to GL_TEXTURE_2D");
        return false;
    }
    const RenderContext* current = currentContext();
    const bool sameConfig = current && current->glx && current->glx->handle == previous &&
                            current->pixelFormat == pbuffer.pixelFormat;
    grabErrors();
    Bool made = False;
    if (sameConfig) {
        made = glXMakeContextCurrent(display, previousDraw, native.handle, previous);
        if (made) {
            GLint readBuffer = GL_BACK;
            glGetIntegerv(GL_READ_BUFFER, &readBuffer);
            glReadBuffer(imageBuffer(pbuffer));
            copyIntoBoundTexture(pbuffer);
            glReadBuffer(static_cast<GLenum>(readBuffer));
        }
    } else {
        if (native.reader && native.readerShares != previous) {
            glXDestroyContext(display, native.reader);
            native.reader = nullptr;
        }
        if (!native.reader) {
            native.reader = glXCreateNewContext(display, x11().configs[pbuffer.pixelFormat - 1],
                                                GLX_RGBA_TYPE, previous, True);
            native.readerShares = previous;
        }
        made = native.reader && glXMakeContextCurrent(display, native.handle, native.handle, native.reader);
        if (made) {
            glReadBuffer(imageBuffer(pbuffer));
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
            copyIntoBoundTexture(pbuffer);
        }
    }
    restoreCurrent(previousDraw, previousRead, previous);
    if (releaseErrors() || !made) {
        reportError("GLX", "Failed to copy the pbuffer's image");
        return false;
    }
    return true;
}

bool glxReleaseTexImage(Pbuffer& pbuffer) {
    glxReleaseDrawnTexture(pbuffer);
    return true;
}

void* glxGetGlProc(const char* name) {
    return reinterpret_cast<void*>(glXGetProcAddress(reinterpret_cast<const GLubyte*>(name)));
}

const char* glxGlString(unsigned name) { return reinterpret_cast<const char*>(glGetString(name)); }

}  // namespace platform
