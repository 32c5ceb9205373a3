// Where the isosurface's first draw left the surface, cell by cell: read
// back from the depth buffer, the farthest and the nearest slice at which a
// pixel of each cell of the slice square found it. Behind the farthest no
// fragment of the lit draw or of the transparent pass can pass its depth
// test (GL_EQUAL, GL_LESS), and in front of the nearest none of the lit
// draw can, so those slices of the cell need not reach the rasteriser.
#pragma once

#include <vector>

#include "app/slice_tiles.h"

namespace app {

struct SurfaceSlices {
    // Per cell, row by row: slice indices (later slices are nearer). A cell
    // with a pixel that found no surface spans every slice; a cell with no
    // pixel in the buffer spans none (farthest > nearest).
    std::vector<int> farthest, nearest;
};

// The cells' surfaces from the depth buffer, each widened to the range of
// the square of about 16 x 16 pixels around it (bufferEdge^2 window depths,
// bottom row first) of a frame whose viewport is `viewportSize` wide from
// `viewportOrigin` on both axes. `cleared` is the depth the buffer was
// cleared to.
SurfaceSlices surfaceSlices(const std::vector<float>& depths, int bufferEdge, int viewportOrigin,
                            int viewportSize, float cleared, const SliceStack& stack);

// Keeps, of each cell, the slices from its farthest surface to its nearest.
void keepSurfaceSlices(SliceTiles& tiles, const SurfaceSlices& surface);

// Keeps, of each cell, the slices from its farthest surface forwards.
void keepSlicesBeforeSurface(SliceTiles& tiles, const SurfaceSlices& surface);

// The window depth of slice `slice`: the vertex program puts it at clip
// depth sliceDepth with w = 1, and the depth range is the whole [0, 1].
float sliceWindowDepth(int slice, const SliceStack& stack);

}  // namespace app
