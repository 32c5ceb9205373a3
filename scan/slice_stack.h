// Stacking the slices of one DICOM series from their headers alone: order
// along the slice normal, spacing, and the checks that refuse a series the
// volume could not represent. Knows nothing of the DICOM library, so it can
// be driven by any headers.
#pragma once

#include <string>
#include <vector>

namespace scan {

struct SliceHeader {
    std::string file;
    int rows = 0, columns = 0;
    double position[3] = {0, 0, 0};              // ImagePositionPatient
    double orientation[6] = {1, 0, 0, 0, 1, 0};  // ImageOrientationPatient: row, then column direction
    double pixelSpacing[2] = {1, 1};             // between rows, between columns
};

struct SliceStack {
    std::vector<int> order;   // header indices, from the lowest position along the normal
    int dims[3] = {0, 0, 0};  // columns, rows, slices
    double spacing[3] = {1, 1, 1};
    double axes[3][3] = {};  // storage axes in patient coordinates (x, y, stacking)
    double origin[3] = {};   // the position of the lowest slice
};

// Orders `slices` and checks them: the same size and orientation, unit
// orientation vectors at right angles, positive pixel spacing, positions on
// the normal (no gantry tilt), no two at the same place and no gap wider
// than 1.5 times the usual spacing. Fails with a message naming a file.
bool stackSlices(const std::vector<SliceHeader>& slices, SliceStack& out, std::string& error);

}  // namespace scan
