// The shape of an anisotropic volume resampled to cubic voxels at full
// resolution: the voxel edge is the smallest input spacing; each axis gets
// round(dim * spacing / edge) samples (halves round up). Voxels are
// cell-centred: output sample i of an axis lies at input position
// (i + 0.5) * edge / spacing - 0.5, clamped to the first and last input
// sample, so an axis whose spacing already is the edge is copied unchanged
// (fit_resample.h does the resampling).
#pragma once

#include <string>

#include "scan/sample_grid.h"

namespace scan {

struct CubicShape {
    int dims[3] = {0, 0, 0};
    double edge = 0.0;  // output voxel size, in the unit of the spacing
};

// The output shape for `dims` and `spacing`. Fails, with `error`, when a
// spacing is not a positive finite number, a dimension is not positive, or
// an output dimension would be 0 or exceed `maxDim`.
bool cubicShape(const int dims[3], const double spacing[3], int maxDim, CubicShape& out, std::string& error);

// Reverses the slice order along z.
void flipZ(SampleGrid& grid);

}  // namespace scan
