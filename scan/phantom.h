// A synthetic head for tests: an ellipsoid of soft tissue in air inside a
// bone shell, with a round hole through the shell on the front (high y)
// side, the top of the head towards high z and a neck of soft tissue down to
// the first slice. The same dimensions always give
// the same samples.
#pragma once

#include <cstdint>

#include "scan/sample_grid.h"

namespace scan {

constexpr uint16_t kPhantomAir = 0;
constexpr uint16_t kPhantomSoftTissue = 1040;
constexpr uint16_t kPhantomBoneInner = 1800;  // bone at the inner surface
constexpr uint16_t kPhantomBoneOuter = 2400;  // bone at the outer surface

// Fills `out` with the phantom on a grid of the given (positive) dimensions.
void makeHeadPhantom(int dimX, int dimY, int dimZ, SampleGrid& out);

}  // namespace scan
