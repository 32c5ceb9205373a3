// The frame loop: render the enabled passes off screen, show the image in
// the window with the frame rate over it, handle at most one message.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <string>

#include "app/render_passes.h"
#include "app/screenshot.h"
#include "app/slice_bounds.h"
#include "app/view_controls.h"
#include "app/view_frame.h"
#include "app/viewer.h"
#include "app/viewer_state.h"
#include "glext/viewer_entry_points.h"

namespace app {

using namespace platform::win;

namespace {

float wobbleReach() { return viewerState.wobble ? kWobbleReach : 0.0f; }

// The isosurface's boxes follow the threshold; both of its draws share the
// bounds, so the second meets the first's depths.
const std::vector<volume::TextureBox>& isosurfaceBoxes(Viewer& viewer) {
    const int level = lowestIsosurfaceTexel(viewerState.threshold);
    if (level != viewer.isosurfaceLevel) {
        viewer.isosurfaceBoxes = viewer.densityBounds
                                     ? viewer.densityBounds->boxesAtLeast(static_cast<uint8_t>(level))
                                     : wholeVolume();
        viewer.isosurfaceLevel = level;
    }
    return viewer.isosurfaceBoxes;
}

// The slices of a pass over `boxes`: the quads of the cells they cross, with
// the vertex program's rectangles all whole.
SliceSweep sliceSweep(const Viewer& viewer, const std::vector<volume::TextureBox>& boxes,
                      const float modelview[16], SliceOrder order, std::vector<TileVertex>& quads) {
    const SliceStack& stack = viewer.grid.slices;
    SliceTiles tiles = sliceTiles(boxes, modelview, wobbleReach(), stack);
    cutSliceTiles(tiles, modelview, stack);
    tileQuads(tiles, order, stack, quads);
    loadSliceRects(wholeSlices());
    SliceSweep sweep;
    sweep.quads = &quads;
    sweep.light[0] = viewer.lightVector->x;
    sweep.light[1] = viewer.lightVector->y;
    sweep.light[2] = viewer.lightVector->z;
    return sweep;
}

// Renders the volume into the off-screen buffer. False when its context
// cannot be made current.
bool renderVolume(Viewer& viewer) {
    if (!platform::wglMakeCurrent(viewer.pbufferDC, viewer.pbufferContext)) return false;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // The cursor position turns the volume about its centre, a degree a pixel.
    glTranslatef(0.5f, 0.3f, 0.6f);
    glRotatef(static_cast<float>(viewerState.mouseY), 1, 0, 0);
    glRotatef(static_cast<float>(viewerState.mouseX), 0, 0, 1);
    glTranslatef(-0.5f, -0.5f, -0.5f);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    applyViewControls(viewer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewerState.animValue += viewerState.animStep;
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 1, 0.5f, 0.5f, 0.5f, viewerState.animValue);
    if (viewer.grid.addedRendering) loadJitterStep(modelview, viewer.grid.slices.step);
    if (viewerState.showIsosurface) {
        drawIsosurfacePass(sliceSweep(viewer, isosurfaceBoxes(viewer), modelview, SliceOrder::backToFront,
                                      viewer.isosurfaceQuads),
                           viewerState.threshold, viewerState.wobble, viewer.grid.addedRendering);
    }
    if (viewerState.showTransparent) {
        drawTransparentPass(sliceSweep(viewer, viewer.transparentBoxes, modelview, SliceOrder::frontToBack,
                                       viewer.transparentQuads),
                            viewerState.wobble, viewer.grid.addedRendering);
    }
    glPopMatrix();
    return true;
}

// Saves the frame about to be shown; says where on standard output.
void saveWindowPicture() {
    viewControls.screenshotWanted = false;
    std::string error;
    const std::string path = saveScreenshot(error);
    if (path.empty()) {
        std::fprintf(stderr, "volview: no screenshot saved: %s\n", error.c_str());
    } else {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    }
}

// Shows the off-screen image over the whole window, upright, with the rate.
void composite(const Viewer& viewer) {
    platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawOffscreenImage(viewer.compositeTexture, viewer.pbuffer, 400.0f);
    glEnable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(20, 30, -10);
    viewer.font->print("FPS %f", static_cast<double>(viewer.frameTimer->framesPerSecond()));
    glPopMatrix();
    drawViewText(viewer);
    if (viewControls.screenshotWanted) saveWindowPicture();
    platform::swapBuffers(viewer.windowDC);
}

// Destroys the viewer's objects in the reverse order of their making. GL
// objects, contexts, the off-screen buffer and the window end with the process.
void shutDown(Viewer& viewer) {
    viewer.lightTransform.reset();
    viewer.font.reset();
    viewer.lightVector.reset();
    viewer.volume.reset();
    viewer.programReader.reset();
    viewer.frameTimer.reset();
}

}  // namespace

bool drawFrame(Viewer& viewer) {
    if (!renderVolume(viewer)) return false;
    viewer.frameTimer->update();
    composite(viewer);
    return true;
}

int runFrameLoop(Viewer& viewer) {
    int status = kExitNormal;
    for (;;) {
        if (!drawFrame(viewer)) {
            // NOTE: a context that cannot be made current now will not come
            // back (the display went away); say so once and stop.
            showCreationError();
            status = kExitCannotStart;
            break;
        }
        platform::Message message;
        if (platform::peekMessage(message, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            platform::translateMessage(message);
            platform::dispatchMessage(message);
        }
    }
    shutDown(viewer);
    return status;
}

}  // namespace app
