// The window-system types that the WGL entry points take and return. With the
// Windows headers these are the system's own; elsewhere they are opaque handles
// of the same shape, so the entry-point pointers keep their published
// signatures on every host. This is the one place that tells the two apart.
#pragma once

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#ifndef WGL_ARB_pbuffer
DECLARE_HANDLE(HPBUFFERARB);
#endif

namespace glext {
using ::BOOL;
using ::FLOAT;
using ::HANDLE;
using ::HDC;
using ::HGLRC;
using ::HPBUFFERARB;
using ::UINT;
}  // namespace glext

#else

namespace glext {
typedef int BOOL;
typedef float FLOAT;
typedef unsigned int UINT;
typedef void* HANDLE;
typedef struct VvHdc* HDC;
typedef struct VvHglrc* HGLRC;
typedef struct VvHpbufferArb* HPBUFFERARB;
}  // namespace glext

#endif
