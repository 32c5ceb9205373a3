// The WGL half of the Win32 backend: pixel formats as the driver describes
// them, contexts, and off-screen buffers made and bound by the driver itself
// (wglCreatePbufferARB, wglBindTexImageARB): no read-back copy on this host.
// A hidden helper window with a plain context reaches the WGL extensions.
#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <string>

#include "platform/bind_mipmaps.h"
#include "platform/proc_table.h"
#include "platform/win32_platform.h"

namespace platform {

using namespace win;

namespace {

constexpr const char* helperClass = "VolviewWglHelper";

template <typename F>
void load(F& function, const char* name) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(::wglGetProcAddress(name)));
}

::PIXELFORMATDESCRIPTOR plainDescriptor() {
    ::PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

bool createHelper(LibraryWin32& library) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = library.instance;
    wc.lpszClassName = helperClass;
    if (!GetClassInfoExA(library.instance, helperClass, &wc) && !RegisterClassExA(&wc)) return false;
    library.helperWindow = CreateWindowExA(0, helperClass, "", WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                           0, 0, 16, 16, nullptr, nullptr, library.instance, nullptr);
    if (!library.helperWindow) return false;
    library.helperDC = GetDC(library.helperWindow);
    const ::PIXELFORMATDESCRIPTOR pfd = plainDescriptor();
    const int format = ChoosePixelFormat(library.helperDC, &pfd);
    if (format == 0 || !SetPixelFormat(library.helperDC, format, &pfd)) return false;
    library.helperContext = ::wglCreateContext(library.helperDC);
    return library.helperContext && ::wglMakeCurrent(library.helperDC, library.helperContext);
}

int query(int format, int attribute) {
    int value = 0;
    return win32().wgl.getPixelFormatAttribiv(win32().helperDC, format, 0, 1, &attribute, &value) ? value : 0;
}

// NOTE: under Wine on Xvfb with llvmpipe, drawing into a single-buffered
// pbuffer ends the process (X_ShmPutImage BadMatch), while a double-buffered
// one works when its back buffer is bound. Real drivers take either, so the
// double-buffered twin of a format is always preferred: same sizes, same
// bind abilities, one more buffer.
int workingPbufferFormat(int format) {
    if (query(format, WGL_DOUBLE_BUFFER_ARB)) return format;
    const int same[] = {WGL_RED_BITS_ARB,        WGL_GREEN_BITS_ARB,          WGL_BLUE_BITS_ARB,
                        WGL_ALPHA_BITS_ARB,      WGL_DEPTH_BITS_ARB,          WGL_STENCIL_BITS_ARB,
                        WGL_DRAW_TO_PBUFFER_ARB, WGL_BIND_TO_TEXTURE_RGB_ARB, WGL_BIND_TO_TEXTURE_RGBA_ARB,
                        WGL_SUPPORT_OPENGL_ARB,  WGL_PIXEL_TYPE_ARB};
    const int count = wglFormatCount();
    for (int twin = 1; twin <= count; ++twin) {
        if (!query(twin, WGL_DOUBLE_BUFFER_ARB)) continue;
        bool alike = true;
        for (int attribute : same) alike = alike && query(twin, attribute) == query(format, attribute);
        if (alike) return twin;
    }
    return format;
}

const char* wglError() {
    static char text[32];
    wsprintfA(text, "error %lu", GetLastError());
    return text;
}

}  // namespace

bool wglInit() {
    LibraryWin32& library = win32();
    library.opengl32 = GetModuleHandleA("opengl32.dll");
    if (!createHelper(library)) {
        reportError("WGL", "Failed to create an OpenGL context (%s): is an OpenGL driver installed?",
                    wglError());
        wglTerminate();
        return false;
    }
    WglExtensions& wgl = library.wgl;
    load(wgl.getExtensionsString, "wglGetExtensionsStringARB");
    const char* extensions = wgl.getExtensionsString ? wgl.getExtensionsString(library.helperDC) : nullptr;
    if (!hasToken(extensions, "WGL_ARB_pixel_format")) {
        reportError("WGL", "The OpenGL driver lacks WGL_ARB_pixel_format");
        wglTerminate();
        return false;
    }
    load(wgl.getPixelFormatAttribiv, "wglGetPixelFormatAttribivARB");
    // Without these no format reports WGL_DRAW_TO_PBUFFER_ARB, and the
    // viewer's own check names what is missing.
    if (hasToken(extensions, "WGL_ARB_pbuffer") && hasToken(extensions, "WGL_ARB_render_texture")) {
        load(wgl.createPbuffer, "wglCreatePbufferARB");
        load(wgl.getPbufferDC, "wglGetPbufferDCARB");
        load(wgl.releasePbufferDC, "wglReleasePbufferDCARB");
        load(wgl.destroyPbuffer, "wglDestroyPbufferARB");
        load(wgl.bindTexImage, "wglBindTexImageARB");
        load(wgl.releaseTexImage, "wglReleaseTexImageARB");
    }
    ::wglMakeCurrent(nullptr, nullptr);
    return wgl.getPixelFormatAttribiv != nullptr;
}

void wglTerminate() {
    LibraryWin32& library = win32();
    if (library.helperContext) {
        ::wglMakeCurrent(nullptr, nullptr);
        ::wglDeleteContext(library.helperContext);
    }
    if (library.helperWindow) {
        ReleaseDC(library.helperWindow, library.helperDC);
        DestroyWindow(library.helperWindow);
    }
    library.helperContext = nullptr;
    library.helperWindow = nullptr;
    library.helperDC = nullptr;
    library.wgl = WglExtensions{};
}

int wglFormatCount() {
    int count = 0;
    const int attribute = WGL_NUMBER_PIXEL_FORMATS_ARB;
    win32().wgl.getPixelFormatAttribiv(win32().helperDC, 1, 0, 1, &attribute, &count);
    return count;
}

bool wglFormatAttribute(int format, int attribute, int& value) {
    const bool pbuffers = win32().wgl.createPbuffer != nullptr;
    switch (attribute) {
    case WGL_DRAW_TO_PBUFFER_ARB:
    case WGL_BIND_TO_TEXTURE_RGB_ARB:
    case WGL_BIND_TO_TEXTURE_RGBA_ARB:
    case WGL_MAX_PBUFFER_WIDTH_ARB:
    case WGL_MAX_PBUFFER_HEIGHT_ARB:
    case WGL_MAX_PBUFFER_PIXELS_ARB:
        if (!pbuffers) {
            value = 0;
            return true;
        }
        break;
    default:
        break;
    }
    value = 0;
    const bool known =
        win32().wgl.getPixelFormatAttribiv(win32().helperDC, format, 0, 1, &attribute, &value) != 0;
    // NOTE: Wine does not answer the pbuffer size limits (the call fails or
    // gives 0). wglCreatePbufferARB still judges a size, so the limit reported
    // then is the largest the layer accepts anywhere.
    const bool sizeLimit = attribute == WGL_MAX_PBUFFER_WIDTH_ARB ||
                           attribute == WGL_MAX_PBUFFER_HEIGHT_ARB || attribute == WGL_MAX_PBUFFER_PIXELS_ARB;
    if (sizeLimit && value <= 0 && query(format, WGL_DRAW_TO_PBUFFER_ARB)) {
        value = attribute == WGL_MAX_PBUFFER_PIXELS_ARB ? 16384 * 16384 : 16384;
        return true;
    }
    return known;
}

bool wglFormatFitsWindow(int format, const Window&) {
    return query(format, WGL_DRAW_TO_WINDOW_ARB) && query(format, WGL_SUPPORT_OPENGL_ARB);
}

bool wglCreateContextFor(RenderContext& context, DeviceContext& dc) {
    ::HDC device = win32DeviceContext(dc);
    // The layer records a window's format; the system gets it here, once.
    if (dc.window && GetPixelFormat(device) != dc.pixelFormat) {
        ::PIXELFORMATDESCRIPTOR pfd{};
        DescribePixelFormat(device, dc.pixelFormat, sizeof pfd, &pfd);
        if (!SetPixelFormat(device, dc.pixelFormat, &pfd)) {
            reportError("WGL", "Failed to set pixel format %d on the window (%s)", dc.pixelFormat,
                        wglError());
            return false;
        }
    }
    auto native = std::make_unique<ContextWGL>();
    native->handle = ::wglCreateContext(device);
    if (!native->handle) {
        reportError("WGL", "Failed to create a context for pixel format %d (%s)", context.pixelFormat,
                    wglError());
        return false;
    }
    context.wgl = native.release();
    return true;
}

void wglDestroyContextOf(RenderContext& context) {
    if (!context.wgl) return;
    ::wglDeleteContext(context.wgl->handle);
    delete context.wgl;
    context.wgl = nullptr;
}

bool wglMakeCurrentOn(DeviceContext* dc, RenderContext* context) {
    if (!context) {
        ::wglMakeCurrent(nullptr, nullptr);
        return true;
    }
    if (!::wglMakeCurrent(win32DeviceContext(*dc), context->wgl->handle)) {
        reportError("WGL", "Failed to make context current (%s)", wglError());
        return false;
    }
    return true;
}

bool wglSwapBuffersOf(DeviceContext& dc) { return SwapBuffers(win32DeviceContext(dc)) != 0; }

bool wglCreatePbufferFor(Pbuffer& pbuffer) {
    WglExtensions& wgl = win32().wgl;
    const int format = workingPbufferFormat(pbuffer.pixelFormat);
    const int attributes[] = {WGL_TEXTURE_FORMAT_ARB,
                              pbuffer.textureFormat,
                              WGL_TEXTURE_TARGET_ARB,
                              pbuffer.textureTarget,
                              WGL_MIPMAP_TEXTURE_ARB,
                              pbuffer.mipmapTexture ? 1 : 0,
                              0,
                              0};
    auto native = std::make_unique<PbufferWGL>();
    native->handle = wgl.createPbuffer(win32().helperDC, format, pbuffer.width, pbuffer.height, attributes);
    native->dc = native->handle ? wgl.getPbufferDC(native->handle) : nullptr;
    if (!native->dc) {
        if (native->handle) wgl.destroyPbuffer(native->handle);
        reportError("WGL", "Failed to create a %d x %d pbuffer (%s)", pbuffer.width, pbuffer.height,
                    wglError());
        return false;
    }
    // The viewer draws into the default draw buffer: the back buffer of a
    // double-buffered pbuffer, which is therefore the image a bind reads.
    native->buffer = query(format, WGL_DOUBLE_BUFFER_ARB) ? WGL_BACK_LEFT_ARB : WGL_FRONT_LEFT_ARB;
    pbuffer.wgl = native.release();
    return true;
}

void wglDestroyPbufferOf(Pbuffer& pbuffer) {
    if (!pbuffer.wgl) return;
    WglExtensions& wgl = win32().wgl;
    wgl.releasePbufferDC(pbuffer.wgl->handle, pbuffer.wgl->dc);
    wgl.destroyPbuffer(pbuffer.wgl->handle);
    delete pbuffer.wgl;
    pbuffer.wgl = nullptr;
}

bool wglBindTexImageOf(Pbuffer& pbuffer) {
    // NOTE: Wine binds by copying level 0 alone, whatever WGL_MIPMAP_TEXTURE_ARB
    // says, so a mipmapped image bound to a texture whose filter reads the
    // levels would leave that texture incomplete. GL_GENERATE_MIPMAP during
    // the bind has the driver build them; drivers that bind the levels
    // themselves are not hindered by it.
    BOOL bound = FALSE;
    {
        const MipmapsWhileBinding mipmaps(pbuffer);
        bound = win32().wgl.bindTexImage(pbuffer.wgl->handle, pbuffer.wgl->buffer);
    }
    if (!bound) {
        reportError("WGL", "Failed to bind the pbuffer's image (%s)", wglError());
        return false;
    }
    return true;
}

bool wglReleaseTexImageOf(Pbuffer& pbuffer) {
    return win32().wgl.releaseTexImage(pbuffer.wgl->handle, pbuffer.wgl->buffer) != 0;
}

void* wglGetGlProc(const char* name) {
    void* function = reinterpret_cast<void*>(::wglGetProcAddress(name));
    // Some drivers answer 1, 2, 3 or -1 for names they do not export.
    const auto value = reinterpret_cast<intptr_t>(function);
    if (value >= -1 && value <= 3) function = nullptr;
    if (!function && win32().opengl32)
        function = reinterpret_cast<void*>(GetProcAddress(win32().opengl32, name));
    return function;
}

const char* wglGlString(unsigned name) { return reinterpret_cast<const char*>(glGetString(name)); }

}  // namespace platform
