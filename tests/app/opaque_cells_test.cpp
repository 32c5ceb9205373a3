// The cells a sweep drawn nearest first may leave out: every pixel of the
// buffer that a cell's fragments would cover is opaque, wherever the zoomed
// viewport puts the slice square, and only the slices behind lose them.
#include "app/opaque_cells.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

bool isSet(const std::vector<app::CellRow>& rows, int row, int column) {
    return (rows[static_cast<std::size_t>(row)] >> column & 1) != 0;
}

// The (row, column) of every cell that is not opaque.
std::vector<std::pair<int, int>> openCells(const std::vector<app::CellRow>& opaque) {
    std::vector<std::pair<int, int>> open;
    for (int row = 0; row < app::kTileCells; ++row)
        for (int column = 0; column < app::kTileCells; ++column)
            if (!isSet(opaque, row, column)) open.emplace_back(row, column);
    return open;
}

using Cells = std::vector<std::pair<int, int>>;

TEST(OpaqueCells, OnePixelBelowTheThresholdKeepsItsOwnCellOpen) {
    // 512 pixels across 128 cells: 4 a cell. Rows are counted from the
    // bottom, as the buffer is read.
    const int edge = 512;
    std::vector<uint8_t> alpha(edge * edge, 250);
    EXPECT_EQ(openCells(app::opaqueCells(alpha, edge, 0, edge, 250)), Cells{});
    alpha[9 * edge + 21] = 249;  // x 21, y 9: column 5, row 2
    EXPECT_EQ(openCells(app::opaqueCells(alpha, edge, 0, edge, 250)), (Cells{{2, 5}}));
    // At a cell's edge, in the other corner of the buffer.
    alpha.assign(alpha.size(), 255);
    alpha[511 * edge + 508] = 0;
    EXPECT_EQ(openCells(app::opaqueCells(alpha, edge, 0, edge, 255)), (Cells{{127, 127}}));
    // A cheap frame's smaller buffer: 2 pixels a cell.
    std::vector<uint8_t> small(256 * 256, 255);
    small[3 * 256 + 1] = 10;
    EXPECT_EQ(openCells(app::opaqueCells(small, 256, 0, 256, 255)), (Cells{{1, 0}}));
}

TEST(OpaqueCells, AZoomedViewportMapsPixelsToTheMiddleCellsAndLeavesTheRestOut) {
    // Twice the buffer, centred: the buffer shows cells 32 to 95 at 8 pixels
    // a cell; the cells beyond it have no pixel that could be drawn.
    const int edge = 512;
    std::vector<uint8_t> alpha(edge * edge, 255);
    alpha[0] = 0;
    alpha[static_cast<std::size_t>(edge) * edge - 1] = 0;
    EXPECT_EQ(openCells(app::opaqueCells(alpha, edge, -256, 1024, 255)), (Cells{{32, 32}, {95, 95}}));
    // Zoomed out: the viewport covers 256 pixels from 128; pixels outside it
    // belong to no cell.
    alpha.assign(alpha.size(), 255);
    alpha[10 * edge + 10] = 0;
    alpha[130 * edge + 131] = 0;  // (3 + 0.5) / 256 of the square: cell 1
    EXPECT_EQ(openCells(app::opaqueCells(alpha, edge, 128, 256, 255)), (Cells{{1, 1}}));
}

TEST(OpaqueCells, DroppedCellsLeaveOnlyTheSlicesBehind) {
    app::SliceTiles tiles;
    tiles.slices = 4;
    tiles.rows.assign(4 * app::kTileCells, ~app::CellRow{0});
    std::vector<app::CellRow> cells(app::kTileCells, 0);
    cells[7] = app::CellRow{1} << 100;
    app::dropCells(tiles, cells, 1);
    for (int slice = 0; slice < 4; ++slice) {
        for (int row = 0; row < app::kTileCells; ++row) {
            const app::CellRow expected =
                slice <= 1 && row == 7 ? ~(app::CellRow{1} << 100) : ~app::CellRow{0};
            EXPECT_TRUE(tiles.rows[static_cast<std::size_t>(slice * app::kTileCells + row)] == expected)
                << "slice " << slice << " row " << row;
        }
    }
}

}  // namespace
