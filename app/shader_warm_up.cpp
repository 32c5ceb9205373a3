// Has the driver build the shaders of a frame ahead of the first frame,
// while the volume loads on its own thread. A software driver compiles a
// shader the first time a draw needs it, whether or not the draw covers a
// pixel: so both passes run once over slices that all collapse to points,
// and the composite and a glyph are drawn as points, with stand-in textures
// of the real formats and sampling. Nothing shows, and every setting is put
// back.
#include <GL/gl.h>
#include <GL/glext.h>

#include "app/render_passes.h"
#include "app/slice_bounds.h"
#include "app/viewer.h"
#include "glext/entry_points.h"
#include "support/texture_font.h"

namespace app {

namespace {

// A 2 x 2 (x 2) image of zeros of the given format on the given unit.
GLuint standIn(GLenum unit, GLenum target, GLenum internalFormat, GLenum format) {
    static const unsigned char zeros[2 * 2 * 2 * 4] = {};
    GLuint name = 0;
    glGenTextures(1, &name);
    glext::glActiveTextureARB(unit);
    glBindTexture(target, name);
    if (target == GL_TEXTURE_3D) {
        setVolumeSampling();
        glext::glTexImage3D(target, 0, static_cast<GLint>(internalFormat), 2, 2, 2, 0, format, GL_UNSIGNED_BYTE,
                            zeros);
    } else {
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage1D(target, 0, static_cast<GLint>(internalFormat), 2, 0, format, GL_UNSIGNED_BYTE, zeros);
    }
    return name;
}

}  // namespace

void prepareOffscreenShaders() {
    GLint activeUnit = 0, fragmentProgram = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &activeUnit);
    glext::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &fragmentProgram);
    glPushAttrib(GL_ALL_ATTRIB_BITS);

    const GLuint textures[3] = {standIn(kDensityUnit, GL_TEXTURE_3D, GL_ALPHA8, GL_ALPHA),
                                standIn(kGradientUnit, GL_TEXTURE_3D, GL_RGBA8, GL_RGBA),
                                standIn(kTransferUnit, GL_TEXTURE_1D, GL_RGBA8, GL_RGBA)};
    const SliceLists lists = recordSliceLists(computeLightVector());
    loadSliceRects(SliceRects{});  // every slice a point
    drawIsosurfacePass(lists, 0.0f, false);
    drawTransparentPass(lists, false);
    glDeleteLists(lists.backToFront, 1);
    glDeleteLists(lists.frontToBack, 1);
    glDeleteTextures(3, textures);

    glPopAttrib();
    glext::glActiveTextureARB(static_cast<GLenum>(activeUnit));
    glext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(fragmentProgram));
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
