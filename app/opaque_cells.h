// Early ray termination for slices drawn nearest first: the cells of the
// slice square where every pixel of the buffer is already (nearly) opaque.
// Slices further back add nothing visible there, so their quads can leave
// those cells out and the rasteriser never sees the fragments.
#pragma once

#include <cstdint>
#include <vector>

#include "app/slice_tiles.h"

namespace app {

// One mask per row of cells (kTileCells rows): bit c of row r set when
// every pixel whose centre may fall in cell (c, r) has alpha at least
// `threshold`. `alpha` holds bufferEdge^2 bytes, bottom row first, of a frame
// whose viewport is `viewportSize` wide from `viewportOrigin` on both axes;
// a cell that no pixel of the buffer reaches counts as opaque (nothing of
// it would be drawn).
std::vector<CellRow> opaqueCells(const std::vector<uint8_t>& alpha, int bufferEdge, int viewportOrigin,
                                 int viewportSize, uint8_t threshold);

// Leaves the cells out of slices 0 to `lastSlice` (the ones further back
// than a sweep drawn nearest first has reached).
void dropCells(SliceTiles& tiles, const std::vector<CellRow>& cells, int lastSlice);

}  // namespace app
