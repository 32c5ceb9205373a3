// The bar the window shows while a volume loads: a window is never blank
// without saying why.
#include <GL/gl.h>

#include "app/viewer.h"
#include "platform/gl_context.h"

namespace app {

void showLoadProgress(const Viewer& viewer, double done) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewer.windowWidth, 0, viewer.windowHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glViewport(0, 0, viewer.windowWidth, viewer.windowHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    // A frame across the middle three fifths, filled from the left.
    const float left = 0.2f * static_cast<float>(viewer.windowWidth);
    const float right = 0.8f * static_cast<float>(viewer.windowWidth);
    const float bottom = 0.5f * static_cast<float>(viewer.windowHeight) - 6.0f;
    const float top = bottom + 12.0f;
    const float fraction = static_cast<float>(done < 0 ? 0 : done > 1 ? 1 : done);
    glColor3f(0.35f, 0.35f, 0.35f);
    glRectf(left - 2, bottom - 2, right + 2, top + 2);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRectf(left - 1, bottom - 1, right + 1, top + 1);
    glColor3f(0.85f, 0.85f, 0.85f);
    glRectf(left, bottom, left + fraction * (right - left), top);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    platform::swapBuffers(viewer.windowDC);
}

}  // namespace app
