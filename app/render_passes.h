// The draws of a frame: the two passes over the slice lists, each with the
// GL state it sets (the slices' bounds must be loaded before, see
// slice_bounds.h), and the off-screen image on the window.
#pragma once

#include <GL/gl.h>

#include "app/slice_geometry.h"
#include "app/slice_tiles.h"
#include "platform/gl_context.h"

namespace app {

// The slices of a pass in its order: the quads of the cells they cross,
// drawn with the light vector every vertex carries.
struct SliceSweep {
    const std::vector<TileVertex>* quads = nullptr;
    float light[3] = {0.0f, 0.0f, 0.0f};
};

// Hands the jittered programs a slice's step along the view direction in
// texture space, and minus half of it, for a rigid modelview (column-major)
// and textures that hold a box of the cube (`textureScale`: the box's
// scale, as the slice program applies it).
void loadJitterStep(const float modelview[16], float sliceStep, const float textureScale[3]);

// The isosurface in two draws. The first keeps, per pixel, the depth of the
// nearest slice dense enough (alpha test against the threshold); the second
// shades exactly that slice (GL_EQUAL). `jittered` draws with the jittered
// program variants.
void drawSurfaceDepths(const SliceSweep& slices, float threshold, bool wobble, bool jittered = false);
void drawLitSurface(const SliceSweep& slices, bool wobble, bool jittered = false);

// The transfer colours blended back to front, behind nothing nearer.
void drawTransparentPass(const SliceSweep& slices, bool wobble, bool jittered = false);
// The passes from groups of slices (groupQuads), several a fragment, each
// group drawn at its nearest slice's depth. The first isosurface draw keeps
// the nearest group that reaches `threshold`; the lit draw lights the
// surface's slice within it; the transparent pass (premultiplied) leaves out
// the surface and what lies behind it (`threshold` kNoSurface without it).
constexpr float kNoSurface = 2.0f;
void drawSurfaceDepthsInGroups(const SliceSweep& groups, float threshold);
void drawLitSurfaceInGroups(const SliceSweep& groups, float threshold);
void drawTransparentGroups(const SliceSweep& groups, float threshold);

// Front to back, for the transparent pass alone: the buffer starts cleared
// to transparent black and each draw goes under what it already holds
// (premultiplied colour), so a pixel that is opaque takes nothing more.
// No depth test: the slices nearest first, then the background over the
// buffer's lower left edge x edge pixels, then endDrawingUnder puts the
// blending and the depth test back.
void drawTransparentUnder(const SliceSweep& slices, bool wobble);
void drawBackgroundUnder(float grey, int edge);
void endDrawingUnder();

// The transfer colours kept per pixel by a maximum blend (the brightest
// along each ray) or, for `faintest`, a minimum blend, in place of the over
// operator; no depth test. The buffer must be cleared to black (white).
void drawProjectionPass(const SliceSweep& slices, bool faintest, bool wobble, bool jittered = false);

// Binds the off-screen image to the texture, draws it upright on the quad
// edge x edge from (left, top) of the window's coordinates (the whole 400
// design area in exact mode) without blending, and releases it. `drawn` is
// the part of the image, from its lower left corner, that the frame drew.
// In the window's context.
void drawOffscreenImage(GLuint texture, platform::HPBUFFERARB pbuffer, float edge, float left = 0.0f,
                        float top = 0.0f, float drawn = 1.0f);

}  // namespace app
