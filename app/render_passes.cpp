#include "app/render_passes.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "app/program_chain.h"
#include "glext/entry_points.h"

namespace app {

void drawIsosurfacePass(const SliceLists& lists, float threshold, bool wobble) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    glAlphaFunc(GL_GEQUAL, threshold);
    glEnable(GL_ALPHA_TEST);
    // The first draw keeps, per pixel, the nearest slice dense enough ...
    glext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, wobble ? kIsosurfaceFirstWobble : kIsosurfaceFirst);
    glCallList(lists.backToFront);
    // ... and the second shades exactly that slice.
    glDepthFunc(GL_EQUAL);
    glext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, wobble ? kIsosurfaceSecondWobble : kIsosurfaceSecond);
    glDisable(GL_ALPHA_TEST);
    glCallList(lists.backToFront);
}

void drawTransparentPass(const SliceLists& lists, bool wobble) {
    glDisable(GL_ALPHA_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_BLEND);
    glext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, wobble ? kTransparentWobble : kTransparent);
    glCallList(lists.frontToBack);
}

}  // namespace app
