#include "app/buffer_size.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "app/offscreen_request.h"
#include "app/slice_view.h"
#include "app/viewer.h"
#include "glext/viewer_entry_points.h"

namespace app {

namespace {

constexpr int kSmallestDragEdge = 128;
constexpr int kSmallestBufferEdge = 256;
constexpr int kLargestDragEdge = 256;

// The driver's largest drawable square: texture and viewport limits.
int driverLargestEdge() {
    GLint texture = 0, viewport[2] = {};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::max(1, std::min({static_cast<int>(texture), static_cast<int>(viewport[0]),
                                 static_cast<int>(viewport[1])}));
}

// Draws from now on into a new buffer of `edge` with the same context, so
// its textures, programs and settings stay; the old buffer goes. False, with
// the old buffer kept, when the new one cannot be made or drawn into.
bool replaceBuffer(Viewer& viewer, int edge) {
    const float floatAttributes[] = {0, 0};
    int format = 0;
    unsigned formatCount = 0;
    vgl::wglChoosePixelFormatARB(viewer.windowDC, kOffscreenFormatRequest, floatAttributes, 1, &format,
                                 &formatCount);
    platform::HPBUFFERARB pbuffer =
        formatCount == 0
            ? nullptr
            : vgl::wglCreatePbufferARB(viewer.windowDC, format, edge, edge, kOffscreenBufferAttributes);
    platform::HDC dc = pbuffer != nullptr ? vgl::wglGetPbufferDCARB(pbuffer) : nullptr;
    const bool drawable = dc != nullptr && platform::wglMakeCurrent(dc, viewer.pbufferContext);
    if (drawable) {
        vgl::wglReleasePbufferDCARB(viewer.pbuffer, viewer.pbufferDC);
        vgl::wglDestroyPbufferARB(viewer.pbuffer);
        viewer.pbuffer = pbuffer;
        viewer.pbufferDC = dc;
        viewer.pbufferEdge = edge;
    } else if (pbuffer != nullptr) {
        if (dc != nullptr) vgl::wglReleasePbufferDCARB(pbuffer, dc);
        vgl::wglDestroyPbufferARB(pbuffer);
    }
    platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
    return drawable;
}

}  // namespace

int dragBufferEdge(int bufferEdge) {
    return std::min(bufferEdge, std::clamp(bufferEdge / 2, kSmallestDragEdge, kLargestDragEdge));
}

int bufferEdgeFor(int side, int startEdge, int largest) {
    // A picture smaller than the build's edge gets a buffer of its own size:
    // its pixels are the frame's cost, and more of them than the picture
    // shows add nothing to it.
    return std::min(std::max(side, std::min(startEdge, kSmallestBufferEdge)), largest);
}

void layOutWindow(Viewer& viewer, int width, int height) {
    viewer.windowWidth = std::max(1, width);
    viewer.windowHeight = std::max(1, height);
    viewer.panes = layOutPanes(viewer.windowWidth, viewer.windowHeight, sliceView.fourPanes);
    // The square picture in the middle of the 3D view's pane.
    const PaneRect& pane = viewer.panes.panes[kVolumePane];
    viewer.pictureSide = std::max(1, std::min(pane.width, pane.height));
    viewer.pictureX = pane.x + (pane.width - viewer.pictureSide) / 2;
    viewer.pictureY = pane.y + (pane.height - viewer.pictureSide) / 2;
    glViewport(0, 0, viewer.windowWidth, viewer.windowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Pixels of the client area, y = 0 at the top.
    glOrtho(0, viewer.windowWidth, viewer.windowHeight, 0, static_cast<double>(0.1f), 1000);
    glMatrixMode(GL_MODELVIEW);

    if (viewer.largestBufferEdge == 0) {
        viewer.startBufferEdge = viewer.pbufferEdge;
        // volview256 keeps its cheaper picture at any window size.
        viewer.largestBufferEdge = viewer.pbufferEdge <= 256 ? viewer.pbufferEdge : driverLargestEdge();
    }
    const int edge = bufferEdgeFor(viewer.pictureSide, viewer.startBufferEdge, viewer.largestBufferEdge);
    const bool refusedBefore = viewer.refusedBufferEdge > 0 && edge >= viewer.refusedBufferEdge;
    if (edge == viewer.pbufferEdge || refusedBefore || replaceBuffer(viewer, edge)) return;
    if (viewer.refusedBufferEdge == 0) {
        std::fprintf(stderr, "volview: cannot make a %d x %d off-screen buffer; the picture stays %d x %d\n",
                     edge, edge, viewer.pbufferEdge, viewer.pbufferEdge);
    }
    viewer.refusedBufferEdge = edge;
}

}  // namespace app
