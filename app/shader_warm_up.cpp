// Has the driver build the shaders of a frame ahead of the first frame,
// while the volume loads on its own thread. A software driver compiles a
// shader the first time a draw needs it, whether or not the draw covers a
// pixel: so both passes run once over a slice quad collapsed to a point,
// and the composite and a glyph are drawn as points, with stand-in textures
// of the real formats and sampling. Nothing shows, and every setting is put
// back.
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "app/render_passes.h"
#include "app/viewer.h"
#include "glext/viewer_entry_points.h"
#include "support/texture_font.h"

namespace app {

void prepareOffscreenShaders(bool jittered) {
    GLint activeUnit = 0, fragmentProgram = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &activeUnit);
    vgl::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &fragmentProgram);
    glPushAttrib(GL_ALL_ATTRIB_BITS);

    // Stand-ins of 2 x 2 x 2 texels (and two table entries), all zero.
    static const unsigned char zeros[2 * 2 * 2 * 4] = {};
    GLuint textures[3] = {};
    glGenTextures(3, textures);
    defineDensityTexture(textures[0], 2, zeros, jittered);
    defineGradientTexture(textures[1], 2, zeros);
    defineTransferTexture(textures[2], 2, zeros);
    // One quad of the frames' vertex layout, all four corners on one point.
    const std::vector<TileVertex> point(4, TileVertex{0, 0, 1, -1, -1, sliceDepth(0)});
    SliceSweep slices;
    slices.quads = &point;
    drawSurfaceDepths(slices, 0.0f, false, jittered);
    drawLitSurface(slices, false, jittered);
    drawTransparentPass(slices, false, jittered);
    if (jittered) {
        drawTransparentUnder(slices, false);
        drawSurfaceDepthsInGroups(slices, 0.0f);
        drawLitSurfaceInGroups(slices, kNoSurface);
        drawTransparentGroups(slices, kNoSurface);
    }
    glDeleteTextures(3, textures);

    glPopAttrib();
    vgl::glActiveTextureARB(static_cast<GLenum>(activeUnit));
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(fragmentProgram));
}

void prepareWindowShaders(const Viewer& viewer) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    setWindowState();

    // The composite: the off-screen image bound and released as each frame
    // does (the first bind also sets up the reading), on a point.
    drawOffscreenImage(viewer.compositeTexture, viewer.pbuffer, 0.0f);

    // A glyph: a list like the font's, on a point, blended.
    glEnable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    static const unsigned char blank[8 * 8] = {};
    const GLuint glyph = makeGlyphTextureImage(8, blank);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, glyph);
    glBegin(GL_QUADS);
    for (int corner = 0; corner < 4; ++corner) {
        glTexCoord2f(0, 0);
        glVertex3f(0, 0, -0.5f);
    }
    glEnd();
    glEndList();
    glCallList(list);
    glDeleteLists(list, 1);
    glDeleteTextures(1, &glyph);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace app
