// A scan as its reader found it: real-valued samples in storage order and
// where its storage axes point in the patient.
#pragma once

#include <string>
#include <vector>

namespace scan {

struct RealVolume {
    int dims[3] = {0, 0, 0};  // x fastest, then y, then z
    std::vector<float> values;
    double spacing[3] = {1.0, 1.0, 1.0};  // mm
    // Unit direction of each storage axis in patient coordinates: +x the
    // patient's left, +y posterior, +z the head (DICOM's convention).
    double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double origin[3] = {0, 0, 0};  // the centre of sample (0, 0, 0), in the same coordinates
    bool oriented = false;         // the file said where its axes and first sample lie
    bool hounsfield = false;       // CT values in Hounsfield units
    std::string source;            // what was read, for the report
};

}  // namespace scan
