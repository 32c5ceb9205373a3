// The viewer's dataset file layout: three little-endian uint16 dimensions
// (x, y, z), then the little-endian uint16 samples, x fastest.
#pragma once

#include <vector>

#include "tools/volimport/sample_grid.h"

namespace volimport {

constexpr int kMaxDatasetDim = 65535;

// The file bytes of `grid`. False when a dimension is outside 1..65535.
bool encodeDataset(const SampleGrid& grid, std::vector<unsigned char>& out);

}  // namespace volimport
