// The entry points beyond GL 1.1 that the viewer calls, in one list. Start-up
// checks every one of them (missingViewerEntryPoints) before the first call,
// and the viewer reaches them only through the vgl names made from the same
// list, so a call cannot slip past the check.
#pragma once

#include "glext/entry_points.h"

#define VV_VIEWER_ENTRY_POINTS(X) \
    X(glActiveTextureARB)         \
    X(glMultiTexCoord3fvARB)      \
    X(glMultiTexCoord4fARB)       \
    X(glActiveTexture)            \
    X(glTexImage3D)               \
    X(glTexSubImage3D)            \
    X(glProgramStringARB)         \
    X(glBindProgramARB)           \
    X(glProgramEnvParameter4fARB) \
    X(glGetProgramivARB)          \
    X(glBlendEquation)            \
    X(wglChoosePixelFormatARB)    \
    X(wglCreatePbufferARB)        \
    X(wglGetPbufferDCARB)         \
    X(wglBindTexImageARB)         \
    X(wglReleaseTexImageARB)      \
    X(wglReleasePbufferDCARB)     \
    X(wglDestroyPbufferARB)

namespace vgl {
#define VV_VIEWER_USES(name) using glext::name;
VV_VIEWER_ENTRY_POINTS(VV_VIEWER_USES)
#undef VV_VIEWER_USES
}  // namespace vgl
