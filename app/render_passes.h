// The two passes over the slice lists, each with the GL state it sets. The
// slices' bounds must be loaded before (see slice_bounds.h).
#pragma once

#include "app/slice_geometry.h"

namespace app {

// Alpha test against the threshold, then the lit surface where it passed.
void drawIsosurfacePass(const SliceLists& lists, float threshold, bool wobble);

// The transfer colours blended back to front, behind nothing nearer.
void drawTransparentPass(const SliceLists& lists, bool wobble);

}  // namespace app
