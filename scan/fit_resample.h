// Resampling to cubic voxels that fit the viewer's grid: the voxel edge is
// chosen so that the longest axis gets exactly `longest` voxels, larger than
// the smallest spacing for a big scan, smaller for a small one (so small
// scans fill the view); `longest` 0 keeps the smallest spacing. Each axis is
// resampled on its own: axes that shrink average the input cells each output
// cell covers (area filter), so thin structures are averaged, not skipped;
// axes that grow are interpolated linearly between cell centres.
#pragma once

#include <string>

#include "scan/cubic_resample.h"
#include "scan/sample_grid.h"

namespace scan {

// The output shape. Fails like cubicShape.
bool fittedShape(const int dims[3], const double spacing[3], int longest, int maxDim, CubicShape& out,
                 std::string& error);

// Resamples `in` onto `shape`; values are rounded to the nearest integer.
// `progress`, when given, is told each finished axis (1, 2, 3).
void resampleFitted(const SampleGrid& in, const double spacing[3], const CubicShape& shape, SampleGrid& out,
                    void (*progress)(int axesDone, void* context) = nullptr, void* context = nullptr);

}  // namespace scan
