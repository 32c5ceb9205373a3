// A scan read from disk: its 12-bit samples, their spacing and what the
// reader found, for the report.
#pragma once

#include <string>

#include "scan/patient_axes.h"
#include "scan/raw_samples.h"
#include "scan/sample_grid.h"

namespace scan {

struct Scan {
    SampleGrid grid;
    double spacing[3] = {1.0, 1.0, 1.0};   // x, y, z, in mm
    SampleType type = SampleType::UInt16;  // as stored
    ClampStats clamped;
    std::string source;  // where the samples came from, e.g. "matrix.dat"
    PatientPlacement placement;
};

}  // namespace scan
