#include "volume/density_bounds.h"

#include <algorithm>

namespace volume {

DensityBounds::DensityBounds(const uint8_t* image, int edge, int blockEdge) : DensityBounds(edge, blockEdge) {
    addSlices(image, 0, edge);
}

DensityBounds::DensityBounds(int edge, int blockEdge)
    : edge_(edge), blockEdge_(blockEdge), blocks_((edge + blockEdge - 1) / blockEdge) {
    maxima_.assign(static_cast<std::size_t>(blocks_) * blocks_ * blocks_, 0);
}

void DensityBounds::addSlices(const uint8_t* slices, int firstZ, int count) {
    addBlock(slices, {0, 0, firstZ}, {edge_, edge_, count});
}

void DensityBounds::addBlock(const uint8_t* texels, const std::array<int, 3>& low,
                             const std::array<int, 3>& size) {
    const int blockEdge = blockEdge_;
    std::size_t index = 0;
    for (int z = low[2]; z < low[2] + size[2]; ++z) {
        for (int y = low[1]; y < low[1] + size[1]; ++y) {
            uint8_t* row =
                &maxima_[(static_cast<std::size_t>(z / blockEdge) * blocks_ + y / blockEdge) * blocks_];
            for (int x = low[0]; x < low[0] + size[0]; ++x, ++index) {
                uint8_t& maximum = row[x / blockEdge];
                maximum = std::max(maximum, texels[index]);
            }
        }
    }
}

std::vector<TextureBox> DensityBounds::boxesAtLeast(uint8_t level) const {
    // A sample at p reads texels floor(p * edge - 0.5) and the next, so it
    // reaches texels [a, b] only from a - 0.5 to b + 1.5 (in texels); a
    // twentieth of a texel more each way absorbs rounding.
    const float texel = 1.0f / static_cast<float>(edge_);
    const float span = static_cast<float>(blockEdge_);
    std::vector<TextureBox> boxes;
    std::size_t index = 0;
    for (int z = 0; z < blocks_; ++z) {
        for (int y = 0; y < blocks_; ++y) {
            for (int x = 0; x < blocks_; ++x, ++index) {
                if (maxima_[index] < level) continue;
                TextureBox box;
                const int block[3] = {x, y, z};
                for (int axis = 0; axis < 3; ++axis) {
                    const float first = static_cast<float>(block[axis]) * span;
                    box.low[axis] = (first - 0.55f) * texel;
                    box.high[axis] = (first + span + 0.55f) * texel;
                }
                boxes.push_back(box);
            }
        }
    }
    return boxes;
}

}  // namespace volume
