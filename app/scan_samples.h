// The scan's samples as the slice panes read them: 12-bit values at the
// scan's own spacing, x towards the patient's left, y to the front, z to
// the head, x fastest. They are kept apart from the rendering grid, whose
// edge may be coarser or finer than the scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/patient_axes.h"

namespace app {

// Hounsfield units are stored as value + this offset (the importer's rule).
constexpr int kHounsfieldOffset = 1024;

struct ScanSamples {
    int dims[3] = {0, 0, 0};
    double spacing[3] = {1.0, 1.0, 1.0};  // mm between sample centres, x y z
    std::vector<uint16_t> samples;
    bool hounsfield = false;  // a CT: values are shown in Hounsfield units
    // Where the samples lie in the rendering cube's texture coordinates: a
    // fraction f of axis a (0 at the first sample's near face, 1 at the last
    // sample's far face) is at textureOrigin[a] + f * textureSpan[a].
    float textureOrigin[3] = {0.0f, 0.0f, 0.0f};
    float textureSpan[3] = {1.0f, 1.0f, 1.0f};
    scan::PatientPlacement placement;  // unknown for a dataset file

    bool empty() const { return samples.empty(); }
    std::size_t index(int i, int j, int k) const {
        return static_cast<std::size_t>(i) +
               static_cast<std::size_t>(dims[0]) *
                   (static_cast<std::size_t>(j) +
                    static_cast<std::size_t>(dims[1]) * static_cast<std::size_t>(k));
    }
    uint16_t at(int i, int j, int k) const { return samples[index(i, j, k)]; }
    // A stored sample as the user reads it: Hounsfield units for a CT.
    int valueOf(int sample) const { return hounsfield ? sample - kHounsfieldOffset : sample; }
    std::size_t bytes() const { return samples.size() * sizeof(uint16_t); }
};

// A dataset file's samples, 1 mm apart, taken for a CT, placed as the
// loader places them in the cube. False with `error` naming the
// file when it cannot be read.
bool readDatasetSamples(const std::string& path, ScanSamples& out, std::string& error);

// Where viewer mode's loader puts a dataset of `dims` in the cube: from its
// low x and y and its top, the longest axis spanning it.
void placeDataset(const int dims[3], float origin[3], float span[3]);

// The stored sample values at the 1st and 99th percentiles (low, high).
void percentileRange(const ScanSamples& scan, int& low, int& high);

}  // namespace app
