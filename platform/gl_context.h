// OpenGL rendering contexts, off-screen buffers and entry-point lookup with
// the GDI and WGL names the viewer is written against. Pairs with platform.h.
// The handles are opaque; the WGL functions have their published signatures
// with these handles in place of HDC, HGLRC and HPBUFFERARB.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

struct DeviceContext;  // a drawable: a window's or an off-screen buffer's
struct RenderContext;  // an OpenGL context
struct Pbuffer;        // an off-screen buffer

using HDC = DeviceContext*;
using HGLRC = RenderContext*;
using HPBUFFERARB = Pbuffer*;
using BOOL = int;
using UINT = unsigned;
using FLOAT = float;

// GDI pixel format descriptor; the fields the layer reads are marked.
struct PIXELFORMATDESCRIPTOR {
    uint16_t nSize = sizeof(PIXELFORMATDESCRIPTOR);
    uint16_t nVersion = 1;
    uint32_t dwFlags = 0;    // read: PFD_DOUBLEBUFFER
    uint8_t iPixelType = 0;  // read: PFD_TYPE_RGBA only
    uint8_t cColorBits = 0;  // read
    uint8_t cRedBits = 0, cRedShift = 0, cGreenBits = 0, cGreenShift = 0;
    uint8_t cBlueBits = 0, cBlueShift = 0, cAlphaBits = 0, cAlphaShift = 0;  // cAlphaBits read
    uint8_t cAccumBits = 0, cAccumRedBits = 0, cAccumGreenBits = 0, cAccumBlueBits = 0, cAccumAlphaBits = 0;
    uint8_t cDepthBits = 0;    // read
    uint8_t cStencilBits = 0;  // read
    uint8_t cAuxBuffers = 0;
    uint8_t iLayerType = 0;
    uint8_t bReserved = 0;
    uint32_t dwLayerMask = 0, dwVisibleMask = 0, dwDamageMask = 0;
};

namespace win {
constexpr uint32_t PFD_DOUBLEBUFFER = 0x00000001;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x00000020;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;

// WGL_ARB_pixel_format
constexpr int WGL_NUMBER_PIXEL_FORMATS_ARB = 0x2000;
constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
constexpr int WGL_PIXEL_TYPE_ARB = 0x2013;
constexpr int WGL_COLOR_BITS_ARB = 0x2014;
constexpr int WGL_RED_BITS_ARB = 0x2015;
constexpr int WGL_GREEN_BITS_ARB = 0x2017;
constexpr int WGL_BLUE_BITS_ARB = 0x2019;
constexpr int WGL_ALPHA_BITS_ARB = 0x201B;
constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
constexpr int WGL_STENCIL_BITS_ARB = 0x2023;
constexpr int WGL_TYPE_RGBA_ARB = 0x202B;
// WGL_ARB_pbuffer
constexpr int WGL_DRAW_TO_PBUFFER_ARB = 0x202D;
constexpr int WGL_MAX_PBUFFER_PIXELS_ARB = 0x202E;
constexpr int WGL_MAX_PBUFFER_WIDTH_ARB = 0x202F;
constexpr int WGL_MAX_PBUFFER_HEIGHT_ARB = 0x2030;
constexpr int WGL_PBUFFER_LARGEST_ARB = 0x2033;
constexpr int WGL_PBUFFER_WIDTH_ARB = 0x2034;
constexpr int WGL_PBUFFER_HEIGHT_ARB = 0x2035;
constexpr int WGL_PBUFFER_LOST_ARB = 0x2036;
// WGL_ARB_render_texture
constexpr int WGL_BIND_TO_TEXTURE_RGB_ARB = 0x2070;
constexpr int WGL_BIND_TO_TEXTURE_RGBA_ARB = 0x2071;
constexpr int WGL_TEXTURE_FORMAT_ARB = 0x2072;
constexpr int WGL_TEXTURE_TARGET_ARB = 0x2073;
constexpr int WGL_MIPMAP_TEXTURE_ARB = 0x2074;
constexpr int WGL_TEXTURE_RGB_ARB = 0x2075;
constexpr int WGL_TEXTURE_RGBA_ARB = 0x2076;
constexpr int WGL_NO_TEXTURE_ARB = 0x2077;
constexpr int WGL_TEXTURE_2D_ARB = 0x207A;
constexpr int WGL_MIPMAP_LEVEL_ARB = 0x207B;
constexpr int WGL_FRONT_LEFT_ARB = 0x2083;
constexpr int WGL_BACK_LEFT_ARB = 0x2085;
}  // namespace win

// ---- GDI ------------------------------------------------------------------

// The window's device context, valid as long as the window.
HDC getDC(Window* window);

// Number (from 1) of the format closest to the descriptor, 0 when none fits.
int choosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR& descriptor);

// Sets the format of a window's device context once; false on failure.
bool setPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR& descriptor);

// Shows the back buffer of a double-buffered window.
bool swapBuffers(HDC dc);

// ---- WGL, linked directly ------------------------------------------------

// A context for the device context's pixel format; shares no objects.
HGLRC wglCreateContext(HDC dc);

// Makes the context current on the device context (both null: none current).
BOOL wglMakeCurrent(HDC dc, HGLRC context);

// Destroys a context; it is released first if current.
BOOL wglDeleteContext(HGLRC context);

HGLRC wglGetCurrentContext();
HDC wglGetCurrentDC();

// Entry point of the current context by name, null when there is none (see
// getProcAddress).
void* wglGetProcAddress(const char* name);

// ---- Resolver -------------------------------------------------------------

// Looks a name up for the current context and answers null unless the
// context really provides it:
//  - no current context: null;
//  - WGL names: the layer's own implementation when its extension is in
//    windowSystemExtensions(), else null;
//  - GL names: the name must belong to a core version the context reports or
//    an extension it advertises (a table generated from the Khronos headers
//    says which); then the window system's lookup answers. OpenGL 1.0/1.1
//    names and unknown names give null: they are linked directly.
void* getProcAddress(const char* name);

// Space-separated window-system extensions the layer implements for the
// current context ("" when none is current).
const char* windowSystemExtensions();

// ---- WGL extensions, reached through getProcAddress -----------------------

const char* wglGetExtensionsStringARB(HDC dc);
const char* wglGetExtensionsStringEXT();

BOOL wglGetPixelFormatAttribivARB(HDC dc, int pixelFormat, int layerPlane, UINT count, const int* attributes,
                                  int* values);
BOOL wglGetPixelFormatAttribfvARB(HDC dc, int pixelFormat, int layerPlane, UINT count, const int* attributes,
                                  FLOAT* values);
BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttributes, const FLOAT* floatAttributes, UINT maxFormats,
                             int* formats, UINT* formatCount);

HPBUFFERARB wglCreatePbufferARB(HDC dc, int pixelFormat, int width, int height, const int* attributes);
HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer);
int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc);
BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer);
BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value);

BOOL wglBindTexImageARB(HPBUFFERARB pbuffer, int buffer);
BOOL wglReleaseTexImageARB(HPBUFFERARB pbuffer, int buffer);
BOOL wglSetPbufferAttribARB(HPBUFFERARB pbuffer, const int* attributes);

}  // namespace platform
