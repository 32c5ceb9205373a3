// Where a cubic density image holds values at or above a given level: the
// maxima of its planes across each axis, kept so that the box around those
// texels is found in a few hundred steps whenever the level changes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace volume {

// An axis-aligned box in texture coordinates (0 to 1 across the image).
struct TextureBox {
    std::array<float, 3> low{};
    std::array<float, 3> high{};
    bool empty = false;  // no point of the image reaches the level
};

class DensityBounds {
public:
    // image: edge^3 bytes, x fastest, then y, then z (the texture's order).
    DensityBounds(const uint8_t* image, int edge);

    // The box outside which trilinear filtering of the image can only give
    // values below `level`: around every texel >= level, widened so that
    // each sample that reads one of them lies inside (plus a texel of slack
    // for rounding in the filter). Empty when no texel reaches the level.
    TextureBox boxAtLeast(uint8_t level) const;

private:
    int edge_;
    std::array<std::vector<uint8_t>, 3> planeMaxima_;  // per axis, per plane
};

}  // namespace volume
