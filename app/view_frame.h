// What the view controls change in a frame: the transfer table of the
// current look (the only upload), the zoomed viewport, the slices left out
// by the cut, and the lines they add over the picture.
#pragma once

#include "app/slice_tiles.h"

namespace app {

struct Viewer;

// In the off-screen context before the passes: uploads the look's table
// when it changed (or the frame's slice spacing did) and sets the viewport
// of the zoom about the centre.
void applyViewControls(Viewer& viewer);

// The slices of this frame: the grid's, or every other one of them for a
// drag's cheap frames (frameSliceSpacing 2), at the same places.
int frameSliceSpacing(const Viewer& viewer);
SliceStack frameSlices(const Viewer& viewer);

// The slice parameter of the volume's centre under a rigid modelview
// (column-major), where the cut plane sits at offset 0.
float centreSliceParameter(const float modelview[16]);

// Empties the slices nearer the viewer than the cut plane, while the cut is on.
void cutSliceTiles(SliceTiles& tiles, const float modelview[16], const SliceStack& stack);

// The minimum projection's slab, as thick as kSlabDepth of the cube: from
// the cut plane back while the cut is on, else about the volume's centre.
constexpr float kSlabDepth = 0.08f;
void keepProjectionSlab(SliceTiles& tiles, const float modelview[16], const SliceStack& stack);

// Prints `text` in the window's coordinates, y down: the 400 x 400 design
// area in exact mode, the client area's pixels in viewer mode.
void printAt(const Viewer& viewer, float x, float y, const char* text);

// In the window's context, after the frame-rate line: the look's name for a
// while after it changes, zoom and cut while not at the start, the help list.
void drawViewText(const Viewer& viewer);

}  // namespace app
