// Draws the four-pane layout's slice panes in the window's context: each
// plane through the crosshair as a grey image at the scan's proportions,
// the crosshair's lines, orientation letters, the crosshair's position and
// value and the window and level in the bottom left pane's corner, and the
// crosshair's mark over the 3D picture.
#pragma once

#include <GL/gl.h>

#include "app/pane_layout.h"
#include "app/slice_view.h"

namespace app {

struct Viewer;

// The GL side of the panes: a texture per plane, remade when the state's
// revision moves on.
struct SlicePaneTextures {
    GLuint names[kSlicePlaneCount] = {0, 0, 0};
    int edges[kSlicePlaneCount][2] = {};  // power-of-two texture sizes
    unsigned revision = 0;                // of the images uploaded
    bool uploaded = false;
};

// A pane's margin around its image, in pixels.
constexpr int kPaneMargin = 4;

// Where the plane's image lies in its pane.
ImageRect planeImageRect(const PaneLayout& layout, const ScanSamples& scan, SlicePlane plane);

// After the 3D picture, before the overlay text; nothing in the 3D view alone.
void drawSlicePanes(Viewer& viewer);

}  // namespace app
