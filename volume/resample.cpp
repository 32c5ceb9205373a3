#include "volume/resample.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace volume {
namespace {

// Source index along one axis of the scaled grid: trunc(i * s), or -1 where
// the grid position lies beyond the data (padding).
std::vector<long> scaledAxis(int edge, int dim, float s) {
    const long covered = static_cast<long>(static_cast<double>(dim) / static_cast<double>(s));
    std::vector<long> source(static_cast<std::size_t>(edge), -1);
    for (int i = 0; i < edge && i < covered; ++i) {
        const long index = static_cast<long>(static_cast<double>(i) * static_cast<double>(s));
        source[static_cast<std::size_t>(i)] = std::min<long>(index, dim - 1);
    }
    return source;
}

// The same for the z axis, counted down from the top slice: grid slice z
// with c = edge - 1 - z takes file slice trunc(dimZ - 1 - c * s).
std::vector<long> scaledAxisFromTop(int edge, int dim, float s) {
    const long covered = static_cast<long>(static_cast<double>(dim) / static_cast<double>(s));
    std::vector<long> source(static_cast<std::size_t>(edge), -1);
    for (int c = 0; c < edge && c < covered; ++c) {
        const double position =
            static_cast<double>(dim - 1) - static_cast<double>(c) * static_cast<double>(s);
        const long index = static_cast<long>(position);
        source[static_cast<std::size_t>(edge - 1 - c)] = std::clamp<long>(index, 0, dim - 1);
    }
    return source;
}

std::vector<long> copiedAxis(int edge, int dim) {
    std::vector<long> source(static_cast<std::size_t>(edge), -1);
    for (int i = 0; i < edge && i < dim; ++i) source[static_cast<std::size_t>(i)] = i;
    return source;
}

std::vector<long> copiedAxisFromTop(int edge, int dim) {
    std::vector<long> source(static_cast<std::size_t>(edge), -1);
    for (int c = 0; c < edge && c < dim; ++c) source[static_cast<std::size_t>(edge - 1 - c)] = dim - 1 - c;
    return source;
}

}  // namespace

bool resampleScales(int dimX, int dimY, int dimZ, int edge) {
    return edge < dimX && edge < dimY && edge < dimZ;
}

GridAxes gridAxes(int dimX, int dimY, int dimZ, int edge) {
    GridAxes axes;
    if (resampleScales(dimX, dimY, dimZ, edge)) {
        const float s = static_cast<float>(std::max({dimX, dimY, dimZ})) / static_cast<float>(edge);
        axes.x = scaledAxis(edge, dimX, s);
        axes.y = scaledAxis(edge, dimY, s);
        axes.z = scaledAxisFromTop(edge, dimZ, s);
    } else {
        axes.x = copiedAxis(edge, dimX);
        axes.y = copiedAxis(edge, dimY);
        axes.z = copiedAxisFromTop(edge, dimZ);
    }
    return axes;
}

void resampleToGrid(const uint16_t* samples, int dimX, int dimY, int dimZ, int edge, VoxelRecord* voxels) {
    const GridAxes axes = gridAxes(dimX, dimY, dimZ, edge);
    const std::vector<long>&sx = axes.x, &sy = axes.y, &sz = axes.z;
    const std::size_t rowX = static_cast<std::size_t>(dimX);
    const std::size_t sliceXY = rowX * static_cast<std::size_t>(dimY);
    VoxelRecord* out = voxels;
    for (int z = 0; z < edge; ++z) {
        for (int y = 0; y < edge; ++y) {
            const long fy = sy[static_cast<std::size_t>(y)];
            const long fz = sz[static_cast<std::size_t>(z)];
            if (fy < 0 || fz < 0) {
                for (int x = 0; x < edge; ++x) (out++)->value = 0;
                continue;
            }
            const uint16_t* row =
                samples + static_cast<std::size_t>(fz) * sliceXY + static_cast<std::size_t>(fy) * rowX;
            for (int x = 0; x < edge; ++x) {
                const long fx = sx[static_cast<std::size_t>(x)];
                (out++)->value = fx < 0 ? 0 : row[fx];
            }
        }
    }
}

}  // namespace volume
