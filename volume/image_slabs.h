// The density and gradient images of an edge^3 grid, made a slab of slices
// at a time straight from the samples the grid is filled from: the same
// bytes as Volume's images, without the grid's records, its gradients or a
// whole image ever being held.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "volume/volume.h"

namespace volume {

// A box of grid voxels: [low, high) along x, y and storage z.
struct VoxelBox {
    std::array<int, 3> low{};
    std::array<int, 3> high{};
    int size(int axis) const {
        return high[static_cast<std::size_t>(axis)] - low[static_cast<std::size_t>(axis)];
    }
    static VoxelBox cube(int edge) { return VoxelBox{{0, 0, 0}, {edge, edge, edge}}; }
};

// Where each grid voxel takes its sample: per axis, the source position of
// every grid position, or -1 where the voxel is 0. The outer layer at x = 0,
// y = 0 and the last storage slice reads 0 too, as the volume's inside box
// does.
class GridSource {
public:
    // A dataset file's samples (file order) as a load resamples them.
    static GridSource resampled(const uint16_t* samples, int dimX, int dimY, int dimZ, int edge);
    // Samples placed in the grid as the volume places them; the placement
    // must fit (placementError).
    static GridSource placed(const PlacedSamples& scan, int edge);

    int edge() const { return edge_; }
    // True when storage slice z (any z) holds only zeros.
    bool sliceEmpty(int z) const { return z < 0 || z >= edge_ || z_[static_cast<std::size_t>(z)] < 0; }
    // Storage slice z with a margin of two zeros on each side of x and y:
    // (edge + 4)^2 values, x fastest.
    void fillPaddedSlice(int z, int32_t* out) const;
    // The voxels whose density or gradient can be other than zero (the
    // gradient reaches two voxels beyond the samples), widened by a layer of
    // zeros and clamped to the grid: a linear filter over the box alone,
    // clamped to its edge or reading a zero border, gives what it gives over
    // the whole grid. One voxel when the grid holds no samples.
    VoxelBox imageBox() const;

private:
    GridSource(const uint16_t* samples, const int dims[3], int edge);
    void markOuterLayer();

    const uint16_t* samples_ = nullptr;
    std::size_t rowX_ = 0, sliceXY_ = 0;
    int edge_ = 0;
    std::vector<long> x_, y_, z_;
};

// Why `scan` cannot be placed in an edge^3 grid; "" when it fits.
std::string placementError(const PlacedSamples& scan, int edge);

// Writes storage slices [firstZ, firstZ + count) of both images, the texels
// of the rows and columns `area` spans (its z range is not used): one
// density byte and four gradient bytes (RGBA: the packed gradient, then the
// density) per texel, in texture order. `scratch` is reused between calls.
void makeImageSlab(const GridSource& source, const VoxelBox& area, int firstZ, int count, uint8_t* density,
                   uint8_t* gradient, std::vector<int32_t>& scratch);
// The same over whole slices.
inline void makeImageSlab(const GridSource& source, int firstZ, int count, uint8_t* density,
                          uint8_t* gradient, std::vector<int32_t>& scratch) {
    makeImageSlab(source, VoxelBox::cube(source.edge()), firstZ, count, density, gradient, scratch);
}

}  // namespace volume
