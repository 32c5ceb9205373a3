#include "app/render_passes.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "app/program_chain.h"
#include "glext/viewer_entry_points.h"

namespace app {
namespace {

void drawSweep(const SliceSweep& slices) {
    if (slices.quads == nullptr || slices.quads->empty()) return;
    // What every vertex of a slice carries besides its coordinates.
    glColor3f(1.0f, 0.0f, 1.0f);
    vgl::glMultiTexCoord3fvARB(GL_TEXTURE1_ARB, slices.light);
    vgl::glMultiTexCoord4fARB(GL_TEXTURE2_ARB, 0, 0, 1, 0);
    const TileVertex* first = slices.quads->data();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(TileVertex), &first->x);
    // The client's active unit is never moved from unit 0.
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, sizeof(TileVertex), &first->s);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(slices.quads->size()));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// The grouped programs' threshold: the lowest density that the alpha test
// of the single-slice draw lets through on our 8-bit buffers, which is
// (floor(255 t) - 1/2) / 255 for a reference t, so that both find the
// surface at the same samples. Above 1 (kNoSurface): no surface.
void loadSurfaceThreshold(float threshold) {
    const float level =
        threshold > 1.0f ? threshold : static_cast<float>((std::floor(threshold * 255.0) - 0.5) / 255.0);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kSurfaceThresholdParameter, level, 0.0f, 0.0f,
                                    0.0f);
}

// An isosurface draw of groups: no blending, the program's own test.
void drawSurfaceGroups(const SliceSweep& groups, float threshold, GLenum depthFunction, GLuint program) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(depthFunction);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    loadSurfaceThreshold(threshold);
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, program);
    drawSweep(groups);
}

}  // namespace

void loadJitterStep(const float modelview[16], float sliceStep, const float textureScale[3]) {
    // The view direction (0, 0, 1) of slice space in texture space: the
    // modelview's third column, scaled as the box scales coordinates.
    const float step[3] = {modelview[8] * sliceStep * textureScale[0],
                           modelview[9] * sliceStep * textureScale[1],
                           modelview[10] * sliceStep * textureScale[2]};
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 2, step[0], step[1], step[2], 0.0f);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 3, -0.5f * step[0], -0.5f * step[1],
                                    -0.5f * step[2], 0.0f);
}

void drawSurfaceDepths(const SliceSweep& slices, float threshold, bool wobble, bool jittered) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    glAlphaFunc(GL_GEQUAL, threshold);
    glEnable(GL_ALPHA_TEST);
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB,
                          fragmentProgram(wobble ? kIsosurfaceFirstWobble : kIsosurfaceFirst, jittered));
    drawSweep(slices);
}

void drawLitSurface(const SliceSweep& slices, bool wobble, bool jittered) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_EQUAL);
    glDisable(GL_BLEND);
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB,
                          fragmentProgram(wobble ? kIsosurfaceSecondWobble : kIsosurfaceSecond, jittered));
    glDisable(GL_ALPHA_TEST);
    drawSweep(slices);
}

void drawTransparentPass(const SliceSweep& slices, bool wobble, bool jittered) {
    glDisable(GL_ALPHA_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_BLEND);
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB,
                          fragmentProgram(wobble ? kTransparentWobble : kTransparent, jittered));
    drawSweep(slices);
}

void drawSurfaceDepthsInGroups(const SliceSweep& groups, float threshold) {
    drawSurfaceGroups(groups, threshold, GL_LEQUAL, kIsosurfaceFirstGrouped);
}

void drawLitSurfaceInGroups(const SliceSweep& groups, float threshold) {
    drawSurfaceGroups(groups, threshold, GL_EQUAL, kIsosurfaceSecondGrouped);
}

void drawTransparentGroups(const SliceSweep& groups, float threshold) {
    glDisable(GL_ALPHA_TEST);
    // The surface's group is at the depth the first draw left, and still
    // has the slices in front of the surface to add; the program leaves out
    // the surface and what lies behind it.
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    loadSurfaceThreshold(threshold);
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, kTransparentGrouped);
    drawSweep(groups);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

namespace {

void blendUnder() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_DST_ALPHA, GL_ONE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace

void drawTransparentUnder(const SliceSweep& slices, bool wobble) {
    blendUnder();
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB,
                          (wobble ? kTransparentWobble : kTransparent) + kUnderOffset);
    drawSweep(slices);
}

void drawBackgroundUnder(float grey, int edge) {
    blendUnder();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, edge, edge);
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(grey, grey, grey, 1.0f);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void endDrawingUnder() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
}

void drawProjectionPass(const SliceSweep& slices, bool faintest, bool wobble, bool jittered) {
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    vgl::glBlendEquation(faintest ? GL_MIN : GL_MAX);
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB,
                          fragmentProgram(wobble ? kTransparentWobble : kTransparent, jittered));
    drawSweep(slices);
    // The passes blend with the over operator and test depth.
    vgl::glBlendEquation(GL_FUNC_ADD);
    glEnable(GL_DEPTH_TEST);
}

void drawOffscreenImage(GLuint texture, platform::HPBUFFERARB pbuffer, float edge, float left, float top,
                        float drawn) {
    glBindTexture(GL_TEXTURE_2D, texture);
    vgl::wglBindTexImageARB(pbuffer, platform::win::WGL_FRONT_LEFT_ARB);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, 1);
    glTexCoord2f(0, drawn);
    glVertex3f(left, top, -10);
    glTexCoord2f(drawn, drawn);
    glVertex3f(left + edge, top, -10);
    glTexCoord2f(drawn, 0);
    glVertex3f(left + edge, top + edge, -10);
    glTexCoord2f(0, 0);
    glVertex3f(left, top + edge, -10);
    glEnd();
    vgl::wglReleaseTexImageARB(pbuffer, platform::win::WGL_FRONT_LEFT_ARB);
}

}  // namespace app
