// The fixed GL state of the two contexts.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "app/slice_bounds.h"
#include "app/viewer.h"
#include "glext/viewer_entry_points.h"

namespace app {
namespace {

// What both contexts share: clear values, shading, blending, depth and
// alpha functions, colour material.
void setCommonState() {
    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
}

void setColorMaterialAndAlpha() {
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glAlphaFunc(GL_GEQUAL, 0.4f);
}

}  // namespace

void setOffscreenState() {
    setCommonState();
    loadWholeSliceRects();
    setColorMaterialAndAlpha();
    glEnable(GL_ALPHA_TEST);
    vgl::glActiveTextureARB(kDensityUnit);
}

void setOffscreenProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // NOTE: a near plane of 0 maps every point to depth 1; the vertex program
    // writes its own clip position and never applies this projection.
    gluPerspective(45.0, 1.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void setWindowState() {
    setCommonState();
    glDisable(GL_DEPTH_TEST);
    setColorMaterialAndAlpha();
    glDisable(GL_ALPHA_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // y = 0 at the top; the near plane is the float 0.1 widened to double.
    glOrtho(0, 400, 400, 0, static_cast<double>(0.1f), 1000);
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace app
