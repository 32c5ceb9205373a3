#include "app/surface_slices.h"

#include <algorithm>
#include <cmath>

namespace app {
namespace {

// The slice whose window depth is nearest `depth`: d = (z + 1) / 2 with
// z = 0.5 w - 0.75 and w = 1 - i step.
int sliceAtDepth(float depth, const SliceStack& stack) {
    const double w = 4.0 * static_cast<double>(depth) - 0.5;
    return static_cast<int>(std::lround((1.0 - w) / static_cast<double>(stack.step)));
}

// Keeps, of each cell, the slices from low[cell] to high[cell]: per row, a
// sweep over the slices with the cells entering and leaving the kept set.
void keepRanges(SliceTiles& tiles, const std::vector<int>& low, const std::vector<int>& high) {
    const int count = tiles.slices;
    std::vector<CellRow> enter(static_cast<std::size_t>(count) + 1),
        leave(static_cast<std::size_t>(count) + 1);
    for (int row = 0; row < kTileCells; ++row) {
        std::fill(enter.begin(), enter.end(), 0);
        std::fill(leave.begin(), leave.end(), 0);
        for (int column = 0; column < kTileCells; ++column) {
            const auto cell = static_cast<std::size_t>(row * kTileCells + column);
            const int first = std::max(low[cell], 0);
            const int last = std::min(high[cell], count - 1);
            if (first > last) continue;
            enter[static_cast<std::size_t>(first)] |= CellRow{1} << column;
            leave[static_cast<std::size_t>(last) + 1] |= CellRow{1} << column;
        }
        CellRow kept = 0;
        for (int slice = 0; slice < count; ++slice) {
            kept = (kept | enter[static_cast<std::size_t>(slice)]) & ~leave[static_cast<std::size_t>(slice)];
            tiles.rows[static_cast<std::size_t>(slice) * kTileCells + static_cast<std::size_t>(row)] &= kept;
        }
    }
}

// Widens the ranges of the cells of each square of about 16 x 16 pixels to
// the square's: a range per cell would cut the slices into quads of a few
// pixels each, and every quad costs the rasteriser its set-up.
void poolOverSquares(SurfaceSlices& surface, float cellPixels, const SliceStack& stack) {
    int group = 1;
    while (group < 16 && 2.0f * static_cast<float>(group) * cellPixels <= 16.0f) group *= 2;
    if (group == 1) return;
    const auto cellAt = [](int row, int column) {
        return static_cast<std::size_t>(row * kTileCells + column);
    };
    for (int top = 0; top < kTileCells; top += group) {
        for (int left = 0; left < kTileCells; left += group) {
            int farthest = stack.count, nearest = -1;
            for (int row = top; row < top + group; ++row) {
                for (int column = left; column < left + group; ++column) {
                    farthest = std::min(farthest, surface.farthest[cellAt(row, column)]);
                    nearest = std::max(nearest, surface.nearest[cellAt(row, column)]);
                }
            }
            // Cells that no pixel reaches keep nothing still.
            for (int row = top; row < top + group; ++row) {
                for (int column = left; column < left + group; ++column) {
                    const std::size_t cell = cellAt(row, column);
                    if (surface.farthest[cell] > surface.nearest[cell]) continue;
                    surface.farthest[cell] = farthest;
                    surface.nearest[cell] = nearest;
                }
            }
        }
    }
}

}  // namespace

float sliceWindowDepth(int slice, const SliceStack& stack) {
    return 0.5f * (sliceDepth(slice, stack.step) + 1.0f);
}

SurfaceSlices surfaceSlices(const std::vector<float>& depths, int bufferEdge, int viewportOrigin,
                            int viewportSize, float cleared, const SliceStack& stack) {
    const std::size_t cells = static_cast<std::size_t>(kTileCells) * kTileCells;
    SurfaceSlices surface;
    surface.farthest.assign(cells, stack.count);
    surface.nearest.assign(cells, -1);
    const float size = static_cast<float>(viewportSize);
    // A pixel's fragment comes from the cell holding its centre; a centre
    // within a hundredth of a pixel of a cell's edge counts for both cells,
    // whichever way the rasteriser rounds.
    const float slack = 0.01f / size;
    for (int y = 0; y < bufferEdge; ++y) {
        int firstRow, lastRow;
        if (!cellsAround((static_cast<float>(y - viewportOrigin) + 0.5f) / size, slack, firstRow, lastRow))
            continue;
        for (int x = 0; x < bufferEdge; ++x) {
            int firstColumn, lastColumn;
            if (!cellsAround((static_cast<float>(x - viewportOrigin) + 0.5f) / size, slack, firstColumn,
                             lastColumn)) {
                continue;
            }
            const float depth = depths[static_cast<std::size_t>(y) * static_cast<std::size_t>(bufferEdge) +
                                       static_cast<std::size_t>(x)];
            // No surface: every slice may leave a mark. Else the surface's
            // slice, with one more either way for rounding.
            int farthest = 0, nearest = stack.count - 1;
            if (depth < cleared) {
                const int slice = sliceAtDepth(depth, stack);
                farthest = slice - 1;
                nearest = slice + 1;
            }
            for (int row = firstRow; row <= lastRow; ++row) {
                for (int column = firstColumn; column <= lastColumn; ++column) {
                    const auto cell = static_cast<std::size_t>(row * kTileCells + column);
                    surface.farthest[cell] = std::min(surface.farthest[cell], farthest);
                    surface.nearest[cell] = std::max(surface.nearest[cell], nearest);
                }
            }
        }
    }
    poolOverSquares(surface, static_cast<float>(viewportSize) / static_cast<float>(kTileCells), stack);
    return surface;
}

void keepSurfaceSlices(SliceTiles& tiles, const SurfaceSlices& surface) {
    keepRanges(tiles, surface.farthest, surface.nearest);
}

void keepSlicesBeforeSurface(SliceTiles& tiles, const SurfaceSlices& surface) {
    // A cell that no pixel reaches keeps nothing.
    std::vector<int> last(surface.nearest.size());
    for (std::size_t cell = 0; cell < last.size(); ++cell)
        last[cell] = surface.nearest[cell] < 0 ? -1 : tiles.slices;
    keepRanges(tiles, surface.farthest, last);
}

}  // namespace app
