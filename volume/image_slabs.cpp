#include "volume/image_slabs.h"

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

void makeImageSlab(const GridSource& source, int firstZ, int count, uint8_t* density, uint8_t* gradient,
                   std::vector<int32_t>& scratch) {
    const int edge = source.edge();
    const std::size_t px = static_cast<std::size_t>(edge) + 4;
    const std::size_t plane = px * px;
    const std::size_t texels = static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge);
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
        std::memset(d, 0, static_cast<std::size_t>(edge));
        std::memset(g, 0, 4 * static_cast<std::size_t>(edge));
        d += edge;
        g += 4 * edge;
        for (int y = 1; y < edge; ++y) {
            const int32_t* v = scratch.data() + plane * (static_cast<std::size_t>(s) + 2) +
                               px * (static_cast<std::size_t>(y) + 2) + 3;
            *d++ = 0;
            for (int k = 0; k < 4; ++k) *g++ = 0;
            for (int x = 1; x < edge; ++x, ++v, ++d, g += 4) {
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
