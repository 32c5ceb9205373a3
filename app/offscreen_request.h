// What the viewer asks of its off-screen buffer: the pixel format it chooses
// and the attributes it creates the buffer with. The platform layer's tests
// and the bind benchmark make the same request through these lists.
#pragma once

#include "platform/gl_context.h"

namespace app {

// The lists read as name, value pairs, one pair a line.
// clang-format off

// Draws to an off-screen buffer and binds as an RGBA texture, with at least
// 24 colour, 8 alpha and 16 depth bits.
inline constexpr int kOffscreenFormatRequest[] = {
    platform::win::WGL_DRAW_TO_PBUFFER_ARB,      1,
    platform::win::WGL_BIND_TO_TEXTURE_RGBA_ARB, 1,
    platform::win::WGL_COLOR_BITS_ARB,           24,
    platform::win::WGL_ALPHA_BITS_ARB,           8,
    platform::win::WGL_DEPTH_BITS_ARB,           16,
    0, 0};

// Binds as a mipmapped 2D RGBA texture; exactly the size asked or nothing.
inline constexpr int kOffscreenBufferAttributes[] = {
    platform::win::WGL_TEXTURE_FORMAT_ARB,  platform::win::WGL_TEXTURE_RGBA_ARB,
    platform::win::WGL_TEXTURE_TARGET_ARB,  platform::win::WGL_TEXTURE_2D_ARB,
    platform::win::WGL_MIPMAP_TEXTURE_ARB,  1,
    platform::win::WGL_PBUFFER_LARGEST_ARB, 0,
    0, 0};

// clang-format on

}  // namespace app
