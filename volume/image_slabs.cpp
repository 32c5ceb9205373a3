#include "volume/image_slabs.h"

#include <algorithm>
#include <cstring>

#include "volume/gradient_word.h"
#include "volume/resample.h"

namespace volume {

GridSource::GridSource(const uint16_t* samples, const int dims[3], int edge)
    : samples_(samples),
      rowX_(static_cast<std::size_t>(dims[0])),
      sliceXY_(static_cast<std::size_t>(dims[0]) * static_cast<std::size_t>(dims[1])),
      edge_(edge) {}

void GridSource::markOuterLayer() {
    x_[0] = -1;
    y_[0] = -1;
    z_[static_cast<std::size_t>(edge_ - 1)] = -1;
}

GridSource GridSource::resampled(const uint16_t* samples, int dimX, int dimY, int dimZ, int edge) {
    const int dims[3] = {dimX, dimY, dimZ};
    GridSource source(samples, dims, edge);
    GridAxes axes = gridAxes(dimX, dimY, dimZ, edge);
    source.x_ = std::move(axes.x);
    source.y_ = std::move(axes.y);
    source.z_ = std::move(axes.z);
    source.markOuterLayer();
    return source;
}

GridSource GridSource::placed(const PlacedSamples& scan, int edge) {
    GridSource source(scan.samples, scan.dims, edge);
    std::vector<long>* axes[3] = {&source.x_, &source.y_, &source.z_};
    for (int a = 0; a < 3; ++a) {
        axes[a]->assign(static_cast<std::size_t>(edge), -1);
        for (int i = 0; i < scan.dims[a]; ++i) (*axes[a])[static_cast<std::size_t>(scan.offset[a] + i)] = i;
    }
    source.markOuterLayer();
    return source;
}

std::string placementError(const PlacedSamples& scan, int edge) {
    for (int a = 0; a < 3; ++a) {
        if (scan.dims[a] < 1 || scan.offset[a] < 0 || scan.offset[a] + scan.dims[a] > edge) {
            return "a " + std::to_string(scan.dims[0]) + " x " + std::to_string(scan.dims[1]) + " x " +
                   std::to_string(scan.dims[2]) + " scan does not fit a grid of edge " + std::to_string(edge);
        }
    }
    return "";
}

void GridSource::fillPaddedSlice(int z, int32_t* out) const {
    const std::size_t padded = static_cast<std::size_t>(edge_) + 4;
    if (sliceEmpty(z)) {
        std::memset(out, 0, padded * padded * sizeof *out);
        return;
    }
    // Only the margins and the rows beyond the samples are cleared: every
    // other value is written below.
    std::memset(out, 0, 2 * padded * sizeof *out);
    std::memset(out + padded * (padded - 2), 0, 2 * padded * sizeof *out);
    const uint16_t* slice = samples_ + static_cast<std::size_t>(z_[static_cast<std::size_t>(z)]) * sliceXY_;
    for (int y = 0; y < edge_; ++y) {
        int32_t* to = out + padded * (static_cast<std::size_t>(y) + 2);
        const long fromY = y_[static_cast<std::size_t>(y)];
        if (fromY < 0) {
            std::memset(to, 0, padded * sizeof *out);
            continue;
        }
        to[0] = to[1] = to[padded - 2] = to[padded - 1] = 0;
        to += 2;
        const uint16_t* row = slice + static_cast<std::size_t>(fromY) * rowX_;
        for (int x = 0; x < edge_; ++x) {
            const long fromX = x_[static_cast<std::size_t>(x)];
            to[x] = fromX < 0 ? 0 : row[fromX];
        }
    }
}

VoxelBox GridSource::imageBox() const {
    // Differences over two voxels, then one voxel of zeros for the filter.
    constexpr int kReach = 3;
    const std::vector<long>* axes[3] = {&x_, &y_, &z_};
    VoxelBox box;
    for (std::size_t a = 0; a < 3; ++a) {
        const std::vector<long>& axis = *axes[a];
        const auto taken = [](long from) { return from >= 0; };
        const auto first = std::find_if(axis.begin(), axis.end(), taken);
        if (first == axis.end()) return VoxelBox{{0, 0, 0}, {1, 1, 1}};
        const auto last = std::find_if(axis.rbegin(), axis.rend(), taken);
        box.low[a] = std::max(0, static_cast<int>(first - axis.begin()) - kReach);
        box.high[a] = std::min(edge_, static_cast<int>(axis.rend() - last) + kReach);
    }
    return box;
}

void makeImageSlab(const GridSource& source, const VoxelBox& area, int firstZ, int count, uint8_t* density,
                   uint8_t* gradient, std::vector<int32_t>& scratch) {
    const int edge = source.edge();
    const std::size_t px = static_cast<std::size_t>(edge) + 4;
    const std::size_t plane = px * px;
    const int x0 = area.low[0], x1 = area.high[0], y0 = area.low[1], y1 = area.high[1];
    const std::size_t width = static_cast<std::size_t>(x1 - x0);
    const std::size_t texels = width * static_cast<std::size_t>(y1 - y0);
    // The slab's slices and two more on each side, the margin the
    // differences over two voxels reach.
    scratch.resize(plane * (static_cast<std::size_t>(count) + 4));
    for (int s = 0; s < count + 4; ++s) source.fillPaddedSlice(firstZ - 2 + s, scratch.data() + plane * s);
    const std::ptrdiff_t stepY = static_cast<std::ptrdiff_t>(px);
    const std::ptrdiff_t stepZ = static_cast<std::ptrdiff_t>(plane);
    for (int s = 0; s < count; ++s) {
        const int z = firstZ + s;
        uint8_t* d = density + texels * static_cast<std::size_t>(s);
        uint8_t* g = gradient + 4 * texels * static_cast<std::size_t>(s);
        // The outer layer has no gradient (nor density); nor has a voxel
        // with only zeros within two slices.
        bool empty = true;
        for (int near = z - 2; near <= z + 2; ++near) empty = empty && source.sliceEmpty(near);
        if (empty || z == edge - 1) {
            std::memset(d, 0, texels);
            std::memset(g, 0, 4 * texels);
            continue;
        }
        for (int y = y0; y < y1; ++y) {
            if (y == 0) {
                std::memset(d, 0, width);
                std::memset(g, 0, 4 * width);
                d += width;
                g += 4 * width;
                continue;
            }
            int x = x0;
            if (x == 0) {
                *d++ = 0;
                for (int k = 0; k < 4; ++k) *g++ = 0;
                ++x;
            }
            const int32_t* v = scratch.data() + plane * (static_cast<std::size_t>(s) + 2) +
                               px * (static_cast<std::size_t>(y) + 2) + 2 + static_cast<std::size_t>(x);
            for (; x < x1; ++x, ++v, ++d, g += 4) {
                const float gx = gradientComponent(v[1] - v[-1], v[2] - v[-2]);
                const float gy = gradientComponent(v[stepY] - v[-stepY], v[2 * stepY] - v[-2 * stepY]);
                // Along k, which runs against storage z.
                const float gk = gradientComponent(v[-stepZ] - v[stepZ], v[-2 * stepZ] - v[2 * stepZ]);
                const uint32_t word = packGradient(support::Vector3(gx, gy, -gk));
                const uint8_t byte = static_cast<uint8_t>(*v >> 4);
                g[0] = static_cast<uint8_t>(word >> 16);
                g[1] = static_cast<uint8_t>(word >> 8);
                g[2] = static_cast<uint8_t>(word);
                g[3] = byte;
                *d = byte;
            }
        }
    }
}

}  // namespace volume
