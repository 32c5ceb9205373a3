// Viewer mode's placement of a dataset file on a grid whose edge is not the
// file's longest axis: the samples are resampled so that the longest axis
// spans the edge, and sit from the cube's low x and y and its top, as they
// do when the file fits the grid already. A finer grid then shows the same
// picture in finer steps instead of a small head in one corner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/sample_grid.h"
#include "volume/volume.h"

namespace app {

// True when the dataset of `dims` needs fitting on a cube of `edge`: its
// longest axis is not `edge`, and the loader would not scale it down (which
// it does when every axis is longer than the edge).
bool datasetNeedsFitting(const int dims[3], int edge);

// Fits `grid` (x fastest) to `edge` (whether it needs it or not): fills
// `samples` and `placement` (its samples pointer left null). False with
// `error` when the shape cannot be made.
bool fitDatasetSamples(const scan::SampleGrid& grid, int edge, std::vector<uint16_t>& samples,
                       volume::PlacedSamples& placement, std::string& error);

// Reads `path` and, when it needs fitting, fills `samples` and `placement`
// (its samples pointer left null) and returns true. False with `error` ""
// when the file fits as it is; false with `error` naming the file when it
// cannot be read.
bool fitDatasetFile(const std::string& path, int edge, std::vector<uint16_t>& samples,
                    volume::PlacedSamples& placement, std::string& error);

}  // namespace app
