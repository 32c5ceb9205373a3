// The frame loop: render the enabled passes off screen, show the image in
// the window with the frame rate over it, handle at most one message.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/opaque_cells.h"
#include "app/render_passes.h"
#include "app/screenshot.h"
#include "app/slice_bounds.h"
#include "app/surface_slices.h"
#include "app/view_controls.h"
#include "app/view_frame.h"
#include "app/view_pose.h"
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

// The cells of a pass's slices that its boxes cross, less the cut.
SliceTiles passTiles(const Viewer& viewer, const std::vector<volume::TextureBox>& boxes,
                     const float modelview[16]) {
    const SliceStack stack = frameSlices(viewer);
    SliceTiles tiles = sliceTiles(boxes, modelview, wobbleReach(), stack);
    cutSliceTiles(tiles, modelview, stack);
    return tiles;
}

// The quads as a pass's slices, with the light every vertex carries.
SliceSweep sweepOver(const Viewer& viewer, const std::vector<TileVertex>& quads) {
    SliceSweep sweep;
    sweep.quads = &quads;
    sweep.light[0] = viewer.lightVector->x;
    sweep.light[1] = viewer.lightVector->y;
    sweep.light[2] = viewer.lightVector->z;
    return sweep;
}

// The quads of the tiles, in the pass's order.
SliceSweep sweepOf(const Viewer& viewer, const SliceTiles& tiles, SliceOrder order,
                   std::vector<TileVertex>& quads) {
    tileQuads(tiles, order, frameSlices(viewer), quads);
    return sweepOver(viewer, quads);
}

// Where the isosurface's first draw left the surface, from the depth buffer.
SurfaceSlices readSurface(Viewer& viewer) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int edge = viewer.drawnEdge();
    viewer.surfaceDepths.resize(static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge));
    glReadPixels(0, 0, edge, edge, GL_DEPTH_COMPONENT, GL_FLOAT, viewer.surfaceDepths.data());
    return surfaceSlices(viewer.surfaceDepths, edge, viewport[0], viewport[2], 1.0f, frameSlices(viewer));
}

// A projection look's one draw: the slices its table does not leave empty
// (within the slab for the faintest), in place of both passes.
void drawProjection(Viewer& viewer, const float modelview[16], bool jittered) {
    const bool faintest = viewerState.projection == Projection::faintest;
    SliceTiles tiles = passTiles(viewer, viewer.transparentBoxes, modelview);
    if (faintest) keepProjectionSlab(tiles, modelview, frameSlices(viewer));
    drawProjectionPass(sweepOf(viewer, tiles, SliceOrder::frontToBack, viewer.transparentQuads), faintest,
                       viewerState.wobble, jittered);
}

// Whether the isosurface and the transparent pass are drawn several slices
// a fragment: with the jittered programs, but for the wobble's, and not
// with the cut on, whose plane may fall between the slices of a group.
// VOLVIEW_SINGLE_SLICES (any value) draws a slice a fragment, to compare.
bool drawsInGroups(bool jittered) {
    static const bool single = std::getenv("VOLVIEW_SINGLE_SLICES") != nullptr;
    return jittered && !single && !viewerState.wobble && !viewControls.cut;
}

// The quads of the tiles' groups of slices, in the pass's order.
SliceSweep groupSweepOf(const Viewer& viewer, const SliceTiles& tiles, SliceOrder order,
                        std::vector<TileVertex>& quads) {
    groupQuads(sliceGroups(tiles), order, frameSlices(viewer), quads);
    return sweepOver(viewer, quads);
}

// The quads of the few nearest slices that make no whole group, a slice a
// fragment (none when the groups take every slice).
SliceSweep ungroupedSweepOf(const Viewer& viewer, const SliceTiles& tiles, SliceOrder order,
                            std::vector<TileVertex>& quads) {
    tileQuads(tiles, order, frameSlices(viewer), quads, groupedSlices(tiles.slices), tiles.slices - 1);
    return sweepOver(viewer, quads);
}

// The isosurface: the first draw leaves the depth of the surface, which
// the lit draw meets; returns where it lies. In groups, the nearest slices
// that make no group are drawn singly, before the groups behind them.
SurfaceSlices drawIsosurface(Viewer& viewer, const float modelview[16], bool jittered) {
    SliceTiles tiles = passTiles(viewer, isosurfaceBoxes(viewer), modelview);
    const bool grouped = drawsInGroups(jittered);
    const bool wobble = viewerState.wobble;
    const float threshold = viewerState.threshold;
    std::vector<TileVertex>& quads = viewer.isosurfaceQuads;
    if (grouped) {
        drawSurfaceDepths(ungroupedSweepOf(viewer, tiles, SliceOrder::backToFront, quads), threshold, wobble,
                          jittered);
        drawSurfaceDepthsInGroups(groupSweepOf(viewer, tiles, SliceOrder::backToFront, quads), threshold);
    } else {
        drawSurfaceDepths(sweepOf(viewer, tiles, SliceOrder::backToFront, quads), threshold, wobble,
                          jittered);
    }
    // Only the slices where the surface lies can pass the lit draw's depth
    // test, and none behind it the transparent pass's.
    const SurfaceSlices surface = readSurface(viewer);
    keepSurfaceSlices(tiles, surface);
    if (grouped) {
        drawLitSurface(ungroupedSweepOf(viewer, tiles, SliceOrder::backToFront, quads), wobble, jittered);
        drawLitSurfaceInGroups(groupSweepOf(viewer, tiles, SliceOrder::backToFront, quads), threshold);
    } else {
        drawLitSurface(sweepOf(viewer, tiles, SliceOrder::backToFront, quads), wobble, jittered);
    }
    return surface;
}

// The transparent pass, back to front, over the isosurface where it is on.
void drawTransparent(Viewer& viewer, const float modelview[16], const SurfaceSlices& surface, bool jittered) {
    SliceTiles tiles = passTiles(viewer, viewer.transparentBoxes, modelview);
    if (viewerState.showIsosurface) keepSlicesBeforeSurface(tiles, surface);
    std::vector<TileVertex>& quads = viewer.transparentQuads;
    if (!drawsInGroups(jittered)) {
        drawTransparentPass(sweepOf(viewer, tiles, SliceOrder::frontToBack, quads), viewerState.wobble,
                            jittered);
        return;
    }
    drawTransparentGroups(groupSweepOf(viewer, tiles, SliceOrder::frontToBack, quads),
                          viewerState.showIsosurface ? viewerState.threshold : kNoSurface);
    drawTransparentPass(ungroupedSweepOf(viewer, tiles, SliceOrder::frontToBack, quads), false, jittered);
}

// Whether the transparent pass alone is drawn nearest slice first: with
// cells of 4 pixels or more. In smaller cells the quads left around the
// opaque ones and the looks back cost what the fragments left out save.
bool drawsTransparentFrontToBack(const Viewer& viewer, bool jittered) {
    return viewer.viewerMode && jittered && viewerState.projection == Projection::none &&
           viewerState.showTransparent && !viewerState.showIsosurface && viewer.drawnEdge() >= 4 * kTileCells;
}

// The transparent pass alone is drawn nearest slice first, and every
// kSlicesBetweenLooks slices the cells whose pixels all reached kOpaqueAlpha
// are left out of the slices behind. The buffer's 8 bits of alpha stop
// growing a little short of full (a thin slice adds less than half a step),
// so a pixel counts as opaque a little below it: what it lets through from
// behind is then under 2 % of what lies there.
constexpr int kSlicesBetweenLooks = 16;
constexpr uint8_t kOpaqueAlpha = 250;

// The cells where the buffer is already opaque.
std::vector<CellRow> readOpaqueCells(Viewer& viewer) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int edge = viewer.drawnEdge();
    viewer.frameAlpha.resize(static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, edge, edge, GL_ALPHA, GL_UNSIGNED_BYTE, viewer.frameAlpha.data());
    return opaqueCells(viewer.frameAlpha, edge, viewport[0], viewport[2], kOpaqueAlpha);
}

// The transparent pass alone, front to back into a buffer cleared to
// transparent black, then the background under what it left.
void drawTransparentFrontToBack(Viewer& viewer, const float modelview[16], float background) {
    SliceTiles tiles = passTiles(viewer, viewer.transparentBoxes, modelview);
    const SliceStack stack = frameSlices(viewer);
    const SliceSweep sweep = sweepOver(viewer, viewer.transparentQuads);
    // Later slices are nearer.
    for (int nearest = tiles.slices - 1; nearest >= 0; nearest -= kSlicesBetweenLooks) {
        if (nearest != tiles.slices - 1) dropCells(tiles, readOpaqueCells(viewer), nearest);
        tileQuads(tiles, SliceOrder::backToFront, stack, viewer.transparentQuads,
                  std::max(nearest - kSlicesBetweenLooks + 1, 0), nearest);
        drawTransparentUnder(sweep, viewerState.wobble);
    }
    drawBackgroundUnder(background, viewer.drawnEdge());
    endDrawingUnder();
}

// Renders the volume into the off-screen buffer. False when its context
// cannot be made current.
bool renderVolume(Viewer& viewer) {
    if (!platform::wglMakeCurrent(viewer.pbufferDC, viewer.pbufferContext)) return false;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (viewer.viewerMode) {
        float pose[16];
        poseModelview(viewControls.pose, pose);
        glMultMatrixf(pose);
        // A cheap frame draws only into its corner of the buffer.
        glScissor(0, 0, viewer.drawnEdge(), viewer.drawnEdge());
        glEnable(GL_SCISSOR_TEST);
    } else {
        // The cursor position turns the volume about its centre, a degree a pixel.
        glTranslatef(0.5f, 0.3f, 0.6f);
        glRotatef(static_cast<float>(viewerState.mouseY), 1, 0, 0);
        glRotatef(static_cast<float>(viewerState.mouseX), 0, 0, 1);
        glTranslatef(-0.5f, -0.5f, -0.5f);
    }
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    applyViewControls(viewer);
    const float background = viewerState.projection == Projection::none       ? 0.5f
                             : viewerState.projection == Projection::faintest ? 1.0f
                                                                              : 0.0f;
    const bool jittered = viewer.grid.addedRendering;
    const bool frontToBack = drawsTransparentFrontToBack(viewer, jittered);
    // Drawn under, the picture starts transparent and takes the background last.
    const float clear = frontToBack ? 0.0f : background;
    glClearColor(clear, clear, clear, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewerState.animValue += viewerState.animStep;
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 1, 0.5f, 0.5f, 0.5f, viewerState.animValue);
    if (viewer.grid.addedRendering) loadJitterStep(modelview, frameSlices(viewer).step, viewer.textureScale);
    if (viewerState.projection != Projection::none) {
        drawProjection(viewer, modelview, jittered);
        glPopMatrix();
        return true;
    }
    if (frontToBack) {
        drawTransparentFrontToBack(viewer, modelview, background);
        glPopMatrix();
        return true;
    }
    SurfaceSlices surface;
    if (viewerState.showIsosurface) surface = drawIsosurface(viewer, modelview, jittered);
    if (viewerState.showTransparent) drawTransparent(viewer, modelview, surface, jittered);
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

// Shows the off-screen image upright, with the rate: over the whole window
// in exact mode, on the square picture in viewer mode, with the time the
// last full picture took.
void composite(Viewer& viewer) {
    platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (viewer.viewerMode) {
        const float drawn = static_cast<float>(viewer.drawnEdge()) / static_cast<float>(viewer.pbufferEdge);
        drawOffscreenImage(viewer.compositeTexture, viewer.pbuffer, static_cast<float>(viewer.pictureSide),
                           static_cast<float>(viewer.pictureX), static_cast<float>(viewer.pictureY), drawn);
    } else {
        drawOffscreenImage(viewer.compositeTexture, viewer.pbuffer, 400.0f);
    }
    glEnable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glPushMatrix();
    glLoadIdentity();
    // At the top left of the 3D view's pane: the window's in exact mode.
    glTranslatef(static_cast<float>(viewer.panes.panes[kVolumePane].x) + 20,
                 static_cast<float>(viewer.panes.panes[kVolumePane].y) + 30, -10);
    if (!viewer.viewerMode) {
        viewer.font->print("FPS %f", static_cast<double>(viewer.frameTimer->framesPerSecond()));
    } else if (viewer.fullPictureMilliseconds >= 0.0) {
        viewer.font->print("full picture %.0f ms", viewer.fullPictureMilliseconds);
    }
    glPopMatrix();
    drawSlicePanes(viewer);
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

bool drawFrame(Viewer& viewer, bool volumeToo) {
    const auto start = std::chrono::steady_clock::now();
    if (volumeToo && !renderVolume(viewer)) return false;
    if (volumeToo && viewer.viewerMode && viewer.drawEdge == 0) {
        // The picture's own time: the driver's work waited for, not queued.
        glFinish();
        viewer.fullPictureMilliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    viewer.frameTimer->update();
    composite(viewer);
    return true;
}

int runFrameLoop(Viewer& viewer) {
    if (viewer.viewerMode) {
        const int status = runDemandLoop(viewer);
        shutDown(viewer);
        return status;
    }
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
