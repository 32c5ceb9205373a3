// Viewer mode's window of any size: the square picture centred in it, drawn
// from an off-screen buffer that follows the picture's size.
#pragma once

namespace app {

struct Viewer;

// The buffer edge for a picture `side` pixels wide: the picture's own, but
// never below 256 (or the build's edge `startEdge` when smaller) nor above
// `largest`. volview256 passes 256 for both.
int bufferEdgeFor(int side, int startEdge, int largest);

// The part of the buffer a drag's cheap frames draw into: half its edge,
// from 128 to 256 pixels (a frame's cost follows its pixels).
int dragBufferEdge(int bufferEdge);

// In the window's context: takes the client size, centres the square
// picture, sets the viewport and the pixel projection, and makes the
// off-screen buffer the picture's size. A buffer the driver refuses leaves
// the old one, said once on standard error.
void layOutWindow(Viewer& viewer, int width, int height);

}  // namespace app
