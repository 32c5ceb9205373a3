// Maps the dataset's samples onto the edge^3 texture grid by point sampling.
// When every file dimension exceeds the edge the volume is scaled down by one
// factor on all axes; otherwise it is copied, cropping long axes and padding
// short ones with zeros. The top file slice always lands in the top grid
// slice; data starts at grid x = 0 and y = 0.
#pragma once

#include <cstdint>
#include <vector>

#include "volume/volume.h"

namespace volume {

// True when the scaling method applies (every dimension exceeds the edge).
bool resampleScales(int dimX, int dimY, int dimZ, int edge);

// Where each grid position takes its sample from along each axis: the file
// position, or -1 for padding; z in storage order (the top slice last).
struct GridAxes {
    std::vector<long> x, y, z;
};
GridAxes gridAxes(int dimX, int dimY, int dimZ, int edge);

// Writes the value of all edge^3 records of `voxels` (storage order, x
// fastest) from `samples` (file order).
void resampleToGrid(const uint16_t* samples, int dimX, int dimY, int dimZ, int edge, VoxelRecord* voxels);

}  // namespace volume
