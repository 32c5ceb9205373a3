// Pixel formats, contexts, off-screen buffers and the resolver: the
// host-independent half of gl_context.h. Backends supply formats, contexts
// and the copy of an off-screen image; the WGL rules live here.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/proc_table.h"

namespace platform {

using namespace win;

namespace {

RenderContext* current = nullptr;
// Contexts and buffers that nobody deletes end with the process, as on
// Windows: the lists are never destroyed, so that exit does not free the
// layer's half of each while the backend's half stays allocated.
std::vector<std::unique_ptr<RenderContext>>& contexts = *new std::vector<std::unique_ptr<RenderContext>>;
std::vector<std::unique_ptr<Pbuffer>>& pbuffers = *new std::vector<std::unique_ptr<Pbuffer>>;

// The window-system extensions this layer implements, in one string.
constexpr const char* extensionString =
    "WGL_ARB_extensions_string WGL_EXT_extensions_string WGL_ARB_pixel_format "
    "WGL_ARB_pbuffer WGL_ARB_render_texture";

const char* prefix() { return backend() ? backend()->prefix : "Platform"; }

bool liveContext(const RenderContext* context) {
    for (const auto& c : contexts)
        if (c.get() == context) return true;
    return false;
}

bool livePbuffer(const Pbuffer* pbuffer) {
    for (const auto& p : pbuffers)
        if (p.get() == pbuffer) return true;
    return false;
}

bool liveDC(const DeviceContext* dc) {
    if (!dc) return false;
    for (const auto& w : windows())
        if (&w->dc == dc) return true;
    for (const auto& p : pbuffers)
        if (&p->dc == dc) return true;
    return false;
}

int attribute(int format, int name) {
    int value = 0;
    return backend()->formatAttribute(format, name, value) ? value : 0;
}

// Attributes whose requested value is a minimum; all others must be equal.
bool isMinimum(int name) {
    switch (name) {
    case WGL_COLOR_BITS_ARB:
    case WGL_RED_BITS_ARB:
    case WGL_GREEN_BITS_ARB:
    case WGL_BLUE_BITS_ARB:
    case WGL_ALPHA_BITS_ARB:
    case WGL_DEPTH_BITS_ARB:
    case WGL_STENCIL_BITS_ARB:
        return true;
    default:
        return false;
    }
}

}  // namespace

RenderContext* currentContext() { return current; }

int chooseFormats(const int* intAttributes, const Window* forWindow, int* formats, int maxFormats) {
    struct Candidate {
        int format;
        int surplus;
    };
    std::vector<Candidate> candidates;
    const int count = backend()->formatCount();
    for (int format = 1; format <= count; ++format) {
        if (forWindow && !backend()->formatFitsWindow(format, *forWindow)) continue;
        bool fits = attribute(format, WGL_SUPPORT_OPENGL_ARB) != 0;
        int surplus = 0;
        for (const int* a = intAttributes; fits && a && a[0] != 0; a += 2) {
            int value = 0;
            if (!backend()->formatAttribute(format, a[0], value)) {
                fits = false;
            } else if (isMinimum(a[0])) {
                fits = value >= a[1];
                surplus += value - a[1];
            } else if (a[0] == WGL_PIXEL_TYPE_ARB) {
                fits = value == a[1];
            } else {
                fits = (value != 0) == (a[1] != 0);
            }
        }
        if (fits) candidates.push_back({format, surplus});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.surplus < b.surplus; });
    const int found = std::min<int>(maxFormats, static_cast<int>(candidates.size()));
    for (int i = 0; i < found; ++i) formats[i] = candidates[i].format;
    return found;
}

HDC getDC(Window* window) {
    for (const auto& w : windows())
        if (w.get() == window) return &window->dc;
    return nullptr;
}

int choosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR& descriptor) {
    if (!backend() || !liveDC(dc) || !dc->window || descriptor.iPixelType != PFD_TYPE_RGBA) return 0;
    // GDI fills colour bits with alpha included; GLX-like formats count them apart.
    const int colour = descriptor.cColorBits > 24 ? 24 : descriptor.cColorBits;
    const int alpha = descriptor.cColorBits > 24 ? descriptor.cColorBits - 24 : descriptor.cAlphaBits;
    const int wanted[] = {WGL_DRAW_TO_WINDOW_ARB,
                          1,
                          WGL_DOUBLE_BUFFER_ARB,
                          (descriptor.dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0,
                          WGL_PIXEL_TYPE_ARB,
                          WGL_TYPE_RGBA_ARB,
                          WGL_COLOR_BITS_ARB,
                          colour,
                          WGL_ALPHA_BITS_ARB,
                          alpha,
                          WGL_DEPTH_BITS_ARB,
                          descriptor.cDepthBits,
                          WGL_STENCIL_BITS_ARB,
                          descriptor.cStencilBits,
                          0,
                          0};
    int format = 0;
    if (chooseFormats(wanted, dc->window, &format, 1) == 1) return format;
    // Closest rather than exact: drop the alpha wish.
    int relaxed[sizeof wanted / sizeof wanted[0]];
    std::copy(std::begin(wanted), std::end(wanted), relaxed);
    relaxed[9] = 0;
    if (chooseFormats(relaxed, dc->window, &format, 1) == 1) return format;
    reportError(prefix(), "No pixel format fits the window (%d colour, %d depth bits)", descriptor.cColorBits,
                descriptor.cDepthBits);
    return 0;
}

bool setPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR&) {
    if (!backend() || !liveDC(dc) || !dc->window) return false;
    if (dc->pixelFormat != 0 || format < 1 || format > backend()->formatCount() ||
        !backend()->formatFitsWindow(format, *dc->window)) {
        reportError(prefix(), "Cannot set pixel format %d on the window", format);
        return false;
    }
    dc->pixelFormat = format;
    return true;
}

bool swapBuffers(HDC dc) {
    if (!backend() || !liveDC(dc) || !dc->window) return false;
    return backend()->swapBuffers(*dc);
}

HGLRC wglCreateContext(HDC dc) {
    if (!backend() || !liveDC(dc)) return nullptr;
    if (dc->pixelFormat == 0) {
        reportError(prefix(), "Cannot create a context before the pixel format is set");
        return nullptr;
    }
    auto context = std::make_unique<RenderContext>();
    context->pixelFormat = dc->pixelFormat;
    if (!backend()->createContext(*context, *dc)) return nullptr;
    contexts.push_back(std::move(context));
    return contexts.back().get();
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (!backend()) return 0;
    if (!context) {
        backend()->makeCurrent(nullptr, nullptr);
        if (current) current->dc = nullptr;
        current = nullptr;
        return 1;
    }
    if (!liveContext(context) || !liveDC(dc)) {
        reportError(prefix(), "Make current with an unknown context or device context");
        return 0;
    }
    if (dc->pixelFormat != context->pixelFormat) {
        reportError(prefix(), "Context and device context have different pixel formats");
        return 0;
    }
    if (!backend()->makeCurrent(dc, context)) return 0;
    if (current) current->dc = nullptr;
    current = context;
    current->dc = dc;
    return 1;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!backend() || !liveContext(context)) return 0;
    if (context == current) wglMakeCurrent(nullptr, nullptr);
    backend()->destroyContext(*context);
    contexts.erase(std::find_if(contexts.begin(), contexts.end(),
                                [context](const auto& c) { return c.get() == context; }));
    return 1;
}

HGLRC wglGetCurrentContext() { return current; }
HDC wglGetCurrentDC() { return current ? current->dc : nullptr; }

// Releases contexts and buffers through the backend before it shuts down.
void destroyContexts() {
    if (!backend()) return;
    wglMakeCurrent(nullptr, nullptr);
    for (auto& p : pbuffers) backend()->destroyPbuffer(*p);
    for (auto& c : contexts) backend()->destroyContext(*c);
    current = nullptr;
    contexts.clear();
    pbuffers.clear();
}

// ---- Resolver ---------------------------------------------------------------

namespace {

struct WglEntry {
    const char* name;
    void* function;
};

template <typename F>
void* asPointer(F* function) {
    return reinterpret_cast<void*>(function);
}

const WglEntry wglEntries[] = {
    {"wglBindTexImageARB", asPointer(&wglBindTexImageARB)},
    {"wglChoosePixelFormatARB", asPointer(&wglChoosePixelFormatARB)},
    {"wglCreatePbufferARB", asPointer(&wglCreatePbufferARB)},
    {"wglDestroyPbufferARB", asPointer(&wglDestroyPbufferARB)},
    {"wglGetExtensionsStringARB", asPointer(&wglGetExtensionsStringARB)},
    {"wglGetExtensionsStringEXT", asPointer(&wglGetExtensionsStringEXT)},
    {"wglGetPbufferDCARB", asPointer(&wglGetPbufferDCARB)},
    {"wglGetPixelFormatAttribfvARB", asPointer(&wglGetPixelFormatAttribfvARB)},
    {"wglGetPixelFormatAttribivARB", asPointer(&wglGetPixelFormatAttribivARB)},
    {"wglQueryPbufferARB", asPointer(&wglQueryPbufferARB)},
    {"wglReleasePbufferDCARB", asPointer(&wglReleasePbufferDCARB)},
    {"wglReleaseTexImageARB", asPointer(&wglReleaseTexImageARB)},
    {"wglSetPbufferAttribARB", asPointer(&wglSetPbufferAttribARB)},
};

// Reads version and extensions of the current context once.
void learnFeatures(RenderContext& context) {
    if (context.featuresKnown) return;
    context.featuresKnown = true;
    parseGlVersion(backend()->glString(0x1F02 /* GL_VERSION */), context.majorVersion, context.minorVersion);
    const char* extensions = backend()->glString(0x1F03 /* GL_EXTENSIONS */);
    context.glExtensions = extensions ? extensions : "";
}

}  // namespace

void* getProcAddress(const char* name) {
    if (!backend() || !current || !name) return nullptr;
    if (std::strncmp(name, "wgl", 3) == 0) {
        for (const WglEntry& entry : wglEntries)
            if (std::strcmp(entry.name, name) == 0) return entry.function;
        return nullptr;
    }
    learnFeatures(*current);
    if (!glProcProvided(name, current->majorVersion, current->minorVersion, current->glExtensions.c_str()))
        return nullptr;
    return backend()->getGlProc(name);
}

void* wglGetProcAddress(const char* name) { return getProcAddress(name); }

const char* windowSystemExtensions() { return current ? extensionString : ""; }

const char* wglGetExtensionsStringARB(HDC dc) { return liveDC(dc) ? extensionString : nullptr; }

const char* wglGetExtensionsStringEXT() { return current ? extensionString : nullptr; }

// ---- WGL_ARB_pixel_format -------------------------------------------------

BOOL wglGetPixelFormatAttribivARB(HDC dc, int pixelFormat, int, UINT count, const int* attributes,
                                  int* values) {
    if (!backend() || !liveDC(dc) || !attributes || !values) return 0;
    const int formats = backend()->formatCount();
    for (UINT i = 0; i < count; ++i) {
        if (attributes[i] == WGL_NUMBER_PIXEL_FORMATS_ARB) {
            values[i] = formats;
        } else if (pixelFormat < 1 || pixelFormat > formats ||
                   !backend()->formatAttribute(pixelFormat, attributes[i], values[i])) {
            return 0;
        }
    }
    return 1;
}

BOOL wglGetPixelFormatAttribfvARB(HDC dc, int pixelFormat, int layerPlane, UINT count, const int* attributes,
                                  FLOAT* values) {
    std::vector<int> ints(count);
    if (!values || !wglGetPixelFormatAttribivARB(dc, pixelFormat, layerPlane, count, attributes, ints.data()))
        return 0;
    for (UINT i = 0; i < count; ++i) values[i] = static_cast<FLOAT>(ints[i]);
    return 1;
}

BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttributes, const FLOAT* floatAttributes, UINT maxFormats,
                             int* formats, UINT* formatCount) {
    if (!backend() || !liveDC(dc) || !formatCount || (maxFormats > 0 && !formats)) return 0;
    if (floatAttributes && floatAttributes[0] != 0) {
        reportError(prefix(), "Floating-point pixel format attributes are not supported");
        return 0;
    }
    std::vector<int> found(std::max(1, backend()->formatCount()));
    const int n = chooseFormats(intAttributes, nullptr, found.data(), static_cast<int>(found.size()));
    // NOTE: asked on a window whose format is set, that format comes first
    // when it matches. An off-screen buffer of the window's own format can be
    // read by the window's context directly, so binding its image as a
    // texture needs no second context (see the GLX backend); the order among
    // matches is the layer's to choose.
    if (dc->window && dc->pixelFormat != 0)
        std::stable_partition(found.begin(), found.begin() + n,
                              [dc](int format) { return format == dc->pixelFormat; });
    const UINT given = std::min<UINT>(maxFormats, static_cast<UINT>(n));
    std::copy(found.begin(), found.begin() + given, formats);
    *formatCount = given;
    return 1;
}

// ---- WGL_ARB_pbuffer --------------------------------------------------------

HPBUFFERARB wglCreatePbufferARB(HDC dc, int pixelFormat, int width, int height, const int* attributes) {
    if (!backend() || !liveDC(dc)) return nullptr;
    if (pixelFormat < 1 || pixelFormat > backend()->formatCount() ||
        !attribute(pixelFormat, WGL_DRAW_TO_PBUFFER_ARB)) {
        reportError(prefix(), "Pixel format %d cannot draw to an off-screen buffer", pixelFormat);
        return nullptr;
    }
    if (width <= 0 || height <= 0 || width > attribute(pixelFormat, WGL_MAX_PBUFFER_WIDTH_ARB) ||
        height > attribute(pixelFormat, WGL_MAX_PBUFFER_HEIGHT_ARB)) {
        reportError(prefix(), "Invalid off-screen buffer size %d x %d", width, height);
        return nullptr;
    }
    auto pbuffer = std::make_unique<Pbuffer>();
    pbuffer->width = width;
    pbuffer->height = height;
    pbuffer->pixelFormat = pixelFormat;
    pbuffer->textureFormat = WGL_NO_TEXTURE_ARB;
    pbuffer->textureTarget = WGL_NO_TEXTURE_ARB;
    for (const int* a = attributes; a && a[0] != 0; a += 2) {
        switch (a[0]) {
        case WGL_TEXTURE_FORMAT_ARB:
            pbuffer->textureFormat = a[1];
            break;
        case WGL_TEXTURE_TARGET_ARB:
            pbuffer->textureTarget = a[1];
            break;
        case WGL_MIPMAP_TEXTURE_ARB:
            pbuffer->mipmapTexture = a[1] != 0;
            break;
        case WGL_PBUFFER_LARGEST_ARB:
            break;  // the exact size is always available
        default:
            reportError(prefix(), "Unknown off-screen buffer attribute 0x%X", a[0]);
            return nullptr;
        }
    }
    const bool rgba = pbuffer->textureFormat == WGL_TEXTURE_RGBA_ARB;
    const bool rgb = pbuffer->textureFormat == WGL_TEXTURE_RGB_ARB;
    if ((rgba && !attribute(pixelFormat, WGL_BIND_TO_TEXTURE_RGBA_ARB)) ||
        (rgb && !attribute(pixelFormat, WGL_BIND_TO_TEXTURE_RGB_ARB)) ||
        (!rgba && !rgb && pbuffer->textureFormat != WGL_NO_TEXTURE_ARB) ||
        ((rgba || rgb) != (pbuffer->textureTarget == WGL_TEXTURE_2D_ARB))) {
        reportError(prefix(), "Unsupported texture format 0x%X or target 0x%X for pixel format %d",
                    pbuffer->textureFormat, pbuffer->textureTarget, pixelFormat);
        return nullptr;
    }
    pbuffer->dc.pbuffer = pbuffer.get();
    pbuffer->dc.pixelFormat = pixelFormat;
    if (!backend()->createPbuffer(*pbuffer)) return nullptr;
    pbuffers.push_back(std::move(pbuffer));
    return pbuffers.back().get();
}

HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer) {
    return backend() && livePbuffer(pbuffer) ? &pbuffer->dc : nullptr;
}

int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc) {
    return backend() && livePbuffer(pbuffer) && dc == &pbuffer->dc ? 1 : 0;
}

BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer) {
    if (!backend() || !livePbuffer(pbuffer)) return 0;
    for (auto& c : contexts)
        if (c->dc == &pbuffer->dc) {
            if (c.get() == current) wglMakeCurrent(nullptr, nullptr);
            c->dc = nullptr;
        }
    backend()->destroyPbuffer(*pbuffer);
    pbuffers.erase(std::find_if(pbuffers.begin(), pbuffers.end(),
                                [pbuffer](const auto& p) { return p.get() == pbuffer; }));
    return 1;
}

BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value) {
    if (!backend() || !livePbuffer(pbuffer) || !value) return 0;
    switch (attribute) {
    case WGL_PBUFFER_WIDTH_ARB:
        *value = pbuffer->width;
        return 1;
    case WGL_PBUFFER_HEIGHT_ARB:
        *value = pbuffer->height;
        return 1;
    case WGL_PBUFFER_LOST_ARB:
        *value = 0;
        return 1;
    case WGL_TEXTURE_FORMAT_ARB:
        *value = pbuffer->textureFormat;
        return 1;
    case WGL_TEXTURE_TARGET_ARB:
        *value = pbuffer->textureTarget;
        return 1;
    case WGL_MIPMAP_TEXTURE_ARB:
        *value = pbuffer->mipmapTexture ? 1 : 0;
        return 1;
    case WGL_MIPMAP_LEVEL_ARB:
        *value = 0;
        return 1;
    default:
        return 0;
    }
}

// ---- WGL_ARB_render_texture -------------------------------------------------

BOOL wglBindTexImageARB(HPBUFFERARB pbuffer, int buffer) {
    if (!backend() || !livePbuffer(pbuffer) || !current) return 0;
    if (buffer != WGL_FRONT_LEFT_ARB) {
        reportError(prefix(), "Only WGL_FRONT_LEFT_ARB can be bound, not 0x%X", buffer);
        return 0;
    }
    if (pbuffer->textureFormat == WGL_NO_TEXTURE_ARB || pbuffer->bound || current->dc == &pbuffer->dc) {
        reportError(prefix(),
                    "Off-screen buffer cannot be bound now (no texture format, already "
                    "bound, or current)");
        return 0;
    }
    if (!backend()->bindTexImage(*pbuffer)) return 0;
    pbuffer->bound = true;
    return 1;
}

BOOL wglReleaseTexImageARB(HPBUFFERARB pbuffer, int buffer) {
    if (!backend() || !livePbuffer(pbuffer) || buffer != WGL_FRONT_LEFT_ARB || !pbuffer->bound) return 0;
    pbuffer->bound = false;
    return !backend()->releaseTexImage || backend()->releaseTexImage(*pbuffer) ? 1 : 0;
}

BOOL wglSetPbufferAttribARB(HPBUFFERARB pbuffer, const int* attributes) {
    if (!backend() || !livePbuffer(pbuffer)) return 0;
    for (const int* a = attributes; a && a[0] != 0; a += 2)
        if (a[0] != WGL_MIPMAP_LEVEL_ARB || a[1] != 0) return 0;  // only level 0 is ever drawn
    return 1;
}

}  // namespace platform
