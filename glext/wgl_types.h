// The window-system types that the WGL entry points take and return: the
// platform layer's opaque handles, on every host, so the pointers resolved
// to the layer's functions keep their published signatures and no caller
// sees a host type.
#pragma once

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
