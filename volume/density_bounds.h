// Where a cubic density image holds values at or above a given level, in
// blocks: the maximum of every block of texels is kept, so that the boxes
// around the blocks that reach a level are found in one pass over the
// blocks whenever the level changes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace volume {

// An axis-aligned box in texture coordinates (0 to 1 across the image).
struct TextureBox {
    std::array<float, 3> low{};
    std::array<float, 3> high{};
};

class DensityBounds {
public:
    // image: edge^3 bytes, x fastest, then y, then z (the texture's order);
    // when blockEdge does not divide edge the last block of each axis is
    // shorter (its box still spans a whole block).
    DensityBounds(const uint8_t* image, int edge, int blockEdge = 4);
    // Bounds of an image that comes a slab at a time: none of its texels
    // reach any level until addSlices has seen them.
    DensityBounds(int edge, int blockEdge);
    // Takes in slices [firstZ, firstZ + count) of the image (count * edge^2
    // bytes), in any order.
    void addSlices(const uint8_t* slices, int firstZ, int count);
    // Takes in the texels of the box from `low` of `size` texels along x, y
    // and z (x fastest); the texels outside any box seen stay below every
    // level.
    void addBlock(const uint8_t* texels, const std::array<int, 3>& low, const std::array<int, 3>& size);

    // One box per block that holds a texel >= level, outside all of which
    // trilinear filtering of the image can only give values below the
    // level: each block widened so that every sample that reads one of its
    // texels lies inside (plus a texel of slack for rounding).
    std::vector<TextureBox> boxesAtLeast(uint8_t level) const;

    int blocksPerAxis() const { return blocks_; }

private:
    int edge_;
    int blockEdge_;
    int blocks_;                   // blocks along each axis
    std::vector<uint8_t> maxima_;  // per block, x fastest
};

}  // namespace volume
