// The window-system types that the WGL entry points take and return. With the
// Windows headers these are the system's own; elsewhere they are the platform layer's
// opaque handles, so the entry-point pointers keep their published
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

// The platform layer stands in for the Windows services here; its handles are
// the ones its window-system functions take, so the pointers resolved to them
// have exactly their types.
#include "platform/gl_context.h"

namespace glext {
using platform::BOOL;
using platform::FLOAT;
using platform::HDC;
using platform::HGLRC;
using platform::HPBUFFERARB;
using platform::UINT;
typedef void* HANDLE;
}  // namespace glext

#endif
