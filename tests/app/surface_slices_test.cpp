// The surface read back from the depth buffer bounds the slices of each
// cell: every pixel's surface slice stays in its cell's range, the lit draw
// keeps just that range, the transparent pass everything in front of it, and
// a cell that no pixel of the buffer reaches keeps nothing.
#include "app/surface_slices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

bool kept(const app::SliceTiles& tiles, int slice, int row, int column) {
    return (tiles.rows[static_cast<std::size_t>(slice) * app::kTileCells + static_cast<std::size_t>(row)] >>
                column &
            1) != 0;
}

app::SliceTiles allCells(int slices) {
    app::SliceTiles tiles;
    tiles.slices = slices;
    tiles.rows.assign(static_cast<std::size_t>(slices) * app::kTileCells, ~app::CellRow{0});
    return tiles;
}

TEST(SurfaceSlices, EveryPixelKeepsItsSurfaceSliceAndNothingBehindIt) {
    const app::SliceStack stack{332, 1.0f / 300};
    const int edge = 96;
    std::mt19937 random(5);
    // Zoom 1, a zoom whose cells straddle pixels, and 4 x about the centre.
    for (const int size : {96, 157, 384}) {
        const int origin = (edge - size) / 2;
        // A smooth surface with a hole in it where the buffer kept its clear depth.
        std::vector<int> surfaceSlice(edge * edge);
        std::vector<float> depths(edge * edge);
        const float phase = static_cast<float>(random() % 100) / 10.0f;
        for (int y = 0; y < edge; ++y) {
            for (int x = 0; x < edge; ++x) {
                const int i = y * edge + x;
                const bool hole = std::hypot(x - 30, y - 60) < 12;
                surfaceSlice[i] =
                    hole ? -1
                         : 150 + static_cast<int>(60 * std::sin(0.11f * x + phase) * std::cos(0.07f * y));
                depths[i] = hole ? 1.0f : app::sliceWindowDepth(surfaceSlice[i], stack);
            }
        }
        const app::SurfaceSlices surface = app::surfaceSlices(depths, edge, origin, size, 1.0f, stack);
        app::SliceTiles lit = allCells(stack.count), transparent = allCells(stack.count);
        app::keepSurfaceSlices(lit, surface);
        app::keepSlicesBeforeSurface(transparent, surface);

        std::vector<bool> reached(app::kTileCells * app::kTileCells, false);
        for (int y = 0; y < edge; ++y) {
            for (int x = 0; x < edge; ++x) {
                const int column = static_cast<int>((x - origin + 0.5f) / size * app::kTileCells);
                const int row = static_cast<int>((y - origin + 0.5f) / size * app::kTileCells);
                reached[static_cast<std::size_t>(row * app::kTileCells + column)] = true;
                const int slice = surfaceSlice[y * edge + x];
                if (slice < 0) {
                    // No surface: every slice of the cell stays.
                    for (int s = 0; s < stack.count; s += 7) {
                        ASSERT_TRUE(kept(lit, s, row, column) && kept(transparent, s, row, column))
                            << x << " " << y;
                    }
                    continue;
                }
                ASSERT_TRUE(kept(lit, slice, row, column)) << "size " << size << " at " << x << " " << y;
                ASSERT_TRUE(kept(transparent, slice, row, column));
                ASSERT_TRUE(kept(transparent, stack.count - 1, row, column));
            }
        }
        // Each cell keeps its range and nothing else; far behind a surface
        // nothing stays, and no cell outside the buffer keeps anything.
        int dropped = 0;
        for (int row = 0; row < app::kTileCells; ++row) {
            for (int column = 0; column < app::kTileCells; ++column) {
                const auto cell = static_cast<std::size_t>(row * app::kTileCells + column);
                const int farthest = surface.farthest[cell], nearest = surface.nearest[cell];
                if (!reached[cell] && (row + 1) * size < -origin * app::kTileCells) {
                    ASSERT_GT(farthest, nearest)
                        << "cell " << row << " " << column << " lies outside the buffer";
                }
                for (int s = 0; s < stack.count; ++s) {
                    ASSERT_EQ(kept(lit, s, row, column), s >= farthest && s <= nearest)
                        << row << " " << column;
                    ASSERT_EQ(kept(transparent, s, row, column), s >= farthest && nearest >= 0);
                    dropped += !kept(transparent, s, row, column);
                }
            }
        }
        EXPECT_GT(dropped, stack.count * 100) << "size " << size;
    }
}

}  // namespace
