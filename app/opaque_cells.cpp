#include "app/opaque_cells.h"

#include <algorithm>

namespace app {

std::vector<CellRow> opaqueCells(const std::vector<uint8_t>& alpha, int bufferEdge, int viewportOrigin,
                                 int viewportSize, uint8_t threshold) {
    // A cell stays open while any pixel of it lets light through; a centre
    // within a hundredth of a pixel of a cell's edge counts for both cells,
    // whichever way the rasteriser rounds.
    std::vector<CellRow> open(kTileCells, 0);
    const float size = static_cast<float>(viewportSize);
    const float slack = 0.01f / size;
    std::vector<CellRow> columnsOf(static_cast<std::size_t>(bufferEdge), 0);
    for (int x = 0; x < bufferEdge; ++x) {
        int first, last;
        if (!cellsAround((static_cast<float>(x - viewportOrigin) + 0.5f) / size, slack, first, last))
            continue;
        for (int column = first; column <= last; ++column)
            columnsOf[static_cast<std::size_t>(x)] |= CellRow{1} << column;
    }
    for (int y = 0; y < bufferEdge; ++y) {
        int firstRow, lastRow;
        if (!cellsAround((static_cast<float>(y - viewportOrigin) + 0.5f) / size, slack, firstRow, lastRow))
            continue;
        const uint8_t* line = &alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(bufferEdge)];
        CellRow seeThrough = 0;
        for (int x = 0; x < bufferEdge; ++x)
            if (line[x] < threshold) seeThrough |= columnsOf[static_cast<std::size_t>(x)];
        for (int row = firstRow; row <= lastRow; ++row) open[static_cast<std::size_t>(row)] |= seeThrough;
    }
    for (CellRow& row : open) row = ~row;
    return open;
}

void dropCells(SliceTiles& tiles, const std::vector<CellRow>& cells, int lastSlice) {
    for (int slice = 0; slice <= std::min(lastSlice, tiles.slices - 1); ++slice) {
        CellRow* rows = &tiles.rows[static_cast<std::size_t>(slice) * kTileCells];
        for (int row = 0; row < kTileCells; ++row) rows[row] &= ~cells[static_cast<std::size_t>(row)];
    }
}

}  // namespace app
