// Private to the Win32 and WGL backend files: the helper window and context
// that reach the WGL extensions, and the backend halves of windows, contexts
// and off-screen buffers. windows.h stays behind this header: its macros
// (WM_*, PFD_*, near, far, min, max) would collide with the layer's names.
#pragma once

// The layer's headers first: after windows.h their constants' names are macros.
#include "platform/internal.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {

// Inside this namespace HDC and HGLRC are the layer's handles; the system's
// are spelled ::HDC and ::HGLRC.

// The WGL extension entry points, read once through a helper context.
struct WglExtensions {
    const char*(WINAPI* getExtensionsString)(::HDC) = nullptr;
    BOOL(WINAPI* getPixelFormatAttribiv)(::HDC, int, int, UINT, const int*, int*) = nullptr;
    HANDLE(WINAPI* createPbuffer)(::HDC, int, int, int, const int*) = nullptr;
    ::HDC(WINAPI* getPbufferDC)(HANDLE) = nullptr;
    int(WINAPI* releasePbufferDC)(HANDLE, ::HDC) = nullptr;
    BOOL(WINAPI* destroyPbuffer)(HANDLE) = nullptr;
    BOOL(WINAPI* bindTexImage)(HANDLE, int) = nullptr;
    BOOL(WINAPI* releaseTexImage)(HANDLE, int) = nullptr;
};

struct LibraryWin32 {
    HINSTANCE instance = nullptr;
    HWND helperWindow = nullptr;  // hidden; its DC answers format queries
    ::HDC helperDC = nullptr;
    ::HGLRC helperContext = nullptr;
    HMODULE opengl32 = nullptr;
    WglExtensions wgl;
};

struct WindowWin32 {
    HWND handle = nullptr;
    ::HDC dc = nullptr;  // the class has CS_OWNDC: one DC for the window's life
};

struct ContextWGL {
    ::HGLRC handle = nullptr;
};

struct PbufferWGL {
    HANDLE handle = nullptr;
    ::HDC dc = nullptr;
    int buffer = 0;  // WGL_FRONT_LEFT_ARB or WGL_BACK_LEFT_ARB: what a bind reads
};

LibraryWin32& win32();

// WGL half of the backend (wgl_context.cpp).
bool wglInit();
void wglTerminate();
int wglFormatCount();
bool wglFormatAttribute(int format, int attribute, int& value);
bool wglFormatFitsWindow(int format, const Window& window);
bool wglCreateContextFor(RenderContext& context, DeviceContext& dc);
void wglDestroyContextOf(RenderContext& context);
bool wglMakeCurrentOn(DeviceContext* dc, RenderContext* context);
bool wglSwapBuffersOf(DeviceContext& dc);
bool wglCreatePbufferFor(Pbuffer& pbuffer);
void wglDestroyPbufferOf(Pbuffer& pbuffer);
bool wglBindTexImageOf(Pbuffer& pbuffer);
bool wglReleaseTexImageOf(Pbuffer& pbuffer);
void* wglGetGlProc(const char* name);
const char* wglGlString(unsigned name);

// The modal box (win32_message_box.cpp).
bool win32MessageBox(const char* text, const char* caption);

// The window's device context, or the helper window's when it has none.
::HDC win32DeviceContext(const DeviceContext& dc);

}  // namespace platform
