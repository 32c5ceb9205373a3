#include "app/slice_tiles.h"

#include <algorithm>
#include <cmath>

#include "app/slice_bounds.h"

namespace app {
namespace {

// The cell holding coordinate v (0 to 1 across the square), clamped.
int cellOf(float v) {
    const float cell = std::floor(v * static_cast<float>(kTileCells));
    return static_cast<int>(std::clamp(cell, 0.0f, static_cast<float>(kTileCells - 1)));
}

constexpr CellRow kOneCell = 1;

// Bits first..last of a row.
CellRow cellRun(int first, int last) {
    const CellRow upTo = last == kTileCells - 1 ? ~CellRow{0} : (kOneCell << (last + 1)) - 1;
    return upTo & ~((kOneCell << first) - 1);
}

int lowestCell(CellRow row) {
    const auto low = static_cast<uint64_t>(row);
    return low != 0 ? __builtin_ctzll(low) : 64 + __builtin_ctzll(static_cast<uint64_t>(row >> 64));
}

float cellEdge(int cell) { return static_cast<float>(cell) / static_cast<float>(kTileCells); }

void pushQuad(std::vector<TileVertex>& quads, float s0, float t0, float s1, float t1, float w, float z) {
    // Counter-clockwise from the low corner, as the whole slices go.
    const float corners[4][2] = {{s0, t0}, {s1, t0}, {s1, t1}, {s0, t1}};
    for (const auto& c : corners) quads.push_back({c[0], c[1], w, 2.0f * c[0] - 1.0f, 2.0f * c[1] - 1.0f, z});
}

// The quads of one slice: each run of cells becomes a quad as tall as the
// rows below it that repeat it exactly.
void sliceQuads(const CellRow* rows, float w, float z, std::vector<TileVertex>& quads) {
    CellRow done[kTileCells] = {};
    for (int row = 0; row < kTileCells; ++row) {
        CellRow left = rows[row] & ~done[row];
        while (left != 0) {
            const int first = lowestCell(left);
            int last = first;
            while (last + 1 < kTileCells && (rows[row] >> (last + 1) & 1)) ++last;
            const CellRow run = cellRun(first, last);
            int top = row;
            // A run repeats on the next row when that row has it whole and
            // nothing on either side of it.
            const CellRow edges = (first > 0 ? kOneCell << (first - 1) : 0) |
                                  (last + 1 < kTileCells ? kOneCell << (last + 1) : 0);
            while (top + 1 < kTileCells && (rows[top + 1] & run) == run && (rows[top + 1] & edges) == 0 &&
                   (done[top + 1] & run) == 0) {
                ++top;
                done[top] |= run;
            }
            pushQuad(quads, cellEdge(first), cellEdge(row), cellEdge(last + 1), cellEdge(top + 1), w, z);
            left &= ~run;
        }
    }
}

}  // namespace

SliceTiles sliceTiles(const std::vector<volume::TextureBox>& boxes, const float modelview[16],
                      float wobbleReach, const SliceStack& stack) {
    SliceTiles tiles;
    tiles.slices = stack.count;
    tiles.rows.assign(static_cast<std::size_t>(stack.count) * kTileCells, 0);
    for (const volume::TextureBox& box : boxes) {
        const SliceSpan span = sliceSpan(box, modelview, wobbleReach, stack);
        if (span.first > span.last || span.high[0] < 0.0f || span.low[0] > 1.0f || span.high[1] < 0.0f ||
            span.low[1] > 1.0f) {
            continue;
        }
        const CellRow run = cellRun(cellOf(span.low[0]), cellOf(span.high[0]));
        const int firstRow = cellOf(span.low[1]);
        const int lastRow = cellOf(span.high[1]);
        for (int slice = span.first; slice <= span.last; ++slice) {
            CellRow* rows = &tiles.rows[static_cast<std::size_t>(slice) * kTileCells];
            for (int row = firstRow; row <= lastRow; ++row) rows[row] |= run;
        }
    }
    return tiles;
}

void cutSliceTiles(SliceTiles& tiles, float plane, const SliceStack& stack) {
    // Later slices are nearer.
    for (int slice = 0; slice < tiles.slices; ++slice) {
        if (sliceParameter(slice, stack.step) >= plane) continue;
        std::fill_n(tiles.rows.begin() + static_cast<std::ptrdiff_t>(slice) * kTileCells, kTileCells, 0);
    }
}

void cutSlicesBeyond(SliceTiles& tiles, float plane, const SliceStack& stack) {
    for (int slice = 0; slice < tiles.slices; ++slice) {
        if (sliceParameter(slice, stack.step) <= plane) continue;
        std::fill_n(tiles.rows.begin() + static_cast<std::ptrdiff_t>(slice) * kTileCells, kTileCells, 0);
    }
}

SliceTiles sliceGroups(const SliceTiles& tiles) {
    SliceTiles groups;
    groups.slices = groupedSlices(tiles.slices) / kSlicesPerGroup;
    groups.rows.assign(static_cast<std::size_t>(groups.slices) * kTileCells, 0);
    for (std::size_t row = 0; row < groups.rows.size() * kSlicesPerGroup; ++row) {
        const std::size_t slice = row / kTileCells;
        groups.rows[(slice / kSlicesPerGroup) * kTileCells + row % kTileCells] |= tiles.rows[row];
    }
    return groups;
}

void tileQuads(const SliceTiles& tiles, SliceOrder order, const SliceStack& stack,
               std::vector<TileVertex>& quads) {
    tileQuads(tiles, order, stack, quads, 0, tiles.slices - 1);
}

void tileQuads(const SliceTiles& tiles, SliceOrder order, const SliceStack& stack,
               std::vector<TileVertex>& quads, int firstSlice, int lastSlice) {
    quads.clear();
    for (int n = firstSlice; n <= lastSlice; ++n) {
        const int slice = order == SliceOrder::backToFront ? firstSlice + lastSlice - n : n;
        sliceQuads(&tiles.rows[static_cast<std::size_t>(slice) * kTileCells],
                   sliceParameter(slice, stack.step), sliceDepth(slice, stack.step), quads);
    }
}

void groupQuads(const SliceTiles& groups, SliceOrder order, const SliceStack& stack,
                std::vector<TileVertex>& quads) {
    quads.clear();
    for (int n = 0; n < groups.slices; ++n) {
        const int group = order == SliceOrder::backToFront ? groups.slices - 1 - n : n;
        const int farthest = group * kSlicesPerGroup;
        sliceQuads(&groups.rows[static_cast<std::size_t>(group) * kTileCells],
                   sliceParameter(farthest, stack.step),
                   sliceDepth(farthest + kSlicesPerGroup - 1, stack.step), quads);
    }
}

// The cells from the one holding v - slack to the one holding v + slack;
// false when both lie outside the square.
bool cellsAround(float v, float slack, int& first, int& last) {
    const auto cell = [](float x) {
        return static_cast<int>(std::floor(x * static_cast<float>(kTileCells)));
    };
    first = std::max(cell(v - slack), 0);
    last = std::min(cell(v + slack), kTileCells - 1);
    return first <= last;
}

}  // namespace app
