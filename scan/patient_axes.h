// Turning a scan into the dataset's anatomical convention: +x towards the
// patient's left, +y towards the front, +z towards the head. Each output
// axis takes the storage axis nearest to it, reversed where it points the
// other way, so the result holds the same samples in another order.
#pragma once

#include <string>

#include "scan/sample_grid.h"

namespace scan {

struct AxisMap {
    int source[3] = {0, 1, 2};  // output axis o takes storage axis source[o]
    bool flip[3] = {false, false, false};
    bool identity() const;
};

// The map for storage axes that point along `axes` (unit vectors in DICOM
// patient coordinates: +x left, +y posterior, +z head). Fails when an axis
// is not a finite non-zero direction or two of them are parallel.
bool conventionMap(const double axes[3][3], AxisMap& out, std::string& error);

// Reorders `grid` and `spacing` by `map`.
void applyAxisMap(const AxisMap& map, SampleGrid& grid, double spacing[3]);

// Where samples lie in DICOM patient coordinates (mm).
struct PatientPlacement {
    bool known = false;           // the file recorded a position; if not, the rest is as here
    double first[3] = {0, 0, 0};  // the centre of sample (0, 0, 0)
    double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // the unit direction of each sample axis
};

// The placement of samples reordered by `map`, from that of the stored
// samples (`dims` and `spacing` as stored).
PatientPlacement mapPlacement(const AxisMap& map, const PatientPlacement& stored, const int dims[3],
                              const double spacing[3]);

// "x <- -y" style description of a map, for the report.
std::string describeAxisMap(const AxisMap& map);

}  // namespace scan
