// Bounds each slice of a pass to the cells of a grid over the slice square
// that its boxes cross: a far tighter fit than one rectangle per pair of
// slices. The quads span the cells of every
// slice with the slice's own plane (the vertex program's rectangles are all
// the whole square), so every pixel they cover gets the coordinates it would
// get on the whole slice, and neighbouring cells share their edges exactly.
#pragma once

#include <cstdint>
#include <vector>

#include "app/slice_geometry.h"
#include "volume/density_bounds.h"

namespace app {

// Cells along each side of the slice square: 4 pixels of the 512 buffer.
constexpr int kTileCells = 128;

// The cells along one side of the square from the one holding v - slack to
// the one holding v + slack (v in square units); false when both lie outside.
bool cellsAround(float v, float slack, int& first, int& last);

// One row of cells, a bit each (bit c: cell c is drawn).
__extension__ typedef unsigned __int128 CellRow;

// Per slice, one mask per row of cells.
struct SliceTiles {
    int slices = 0;
    std::vector<CellRow> rows;  // slices x kTileCells
};

// The cells of every slice that the boxes (texture space, see
// sliceSpan) cross, each box widened across x and y by wobbleReach.
SliceTiles sliceTiles(const std::vector<volume::TextureBox>& boxes, const float modelview[16],
                      float wobbleReach, const SliceStack& stack);

// Empties the slices nearer than the plane at slice parameter `plane`.
void cutSliceTiles(SliceTiles& tiles, float plane, const SliceStack& stack);

// Empties the slices further than the plane at slice parameter `plane`.
void cutSlicesBeyond(SliceTiles& tiles, float plane, const SliceStack& stack);

// A pass that reads several slices in one fragment draws slices kN to
// kN + N - 1 (N = kSlicesPerGroup) as group k, over the cells of any of
// them. Only whole groups: the nearest slices left over, from
// groupedSlices(count) on, stay single.
constexpr int kSlicesPerGroup = 4;
constexpr int groupedSlices(int slices) { return slices / kSlicesPerGroup * kSlicesPerGroup; }
SliceTiles sliceGroups(const SliceTiles& tiles);

// One vertex of a tile quad: the slice coordinate (s, t, w) for unit 0 and
// the clip-space position (x, y, depth).
struct TileVertex {
    float s, t, w;
    float x, y, z;
};

// The quads covering the marked cells, slice by slice in the given order;
// runs of cells along a row that repeat on the next rows become one quad.
void tileQuads(const SliceTiles& tiles, SliceOrder order, const SliceStack& stack,
               std::vector<TileVertex>& quads);
// The same for slices firstSlice to lastSlice alone.
void tileQuads(const SliceTiles& tiles, SliceOrder order, const SliceStack& stack,
               std::vector<TileVertex>& quads, int firstSlice, int lastSlice);
// The quads of groups (sliceGroups of tiles over `stack`), group by group in
// the given order: each on its farthest slice, where the programs take
// their coordinates, at its nearest slice's depth, where it meets the
// surface.
void groupQuads(const SliceTiles& groups, SliceOrder order, const SliceStack& stack,
                std::vector<TileVertex>& quads);

}  // namespace app
