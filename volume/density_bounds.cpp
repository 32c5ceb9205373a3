#include "volume/density_bounds.h"

#include <algorithm>

namespace volume {

DensityBounds::DensityBounds(const uint8_t* image, int edge) : edge_(edge) {
    for (auto& maxima : planeMaxima_) maxima.assign(static_cast<std::size_t>(edge), 0);
    std::size_t index = 0;
    for (int z = 0; z < edge; ++z) {
        for (int y = 0; y < edge; ++y) {
            uint8_t rowMaximum = 0;
            for (int x = 0; x < edge; ++x, ++index) {
                const uint8_t value = image[index];
                rowMaximum = std::max(rowMaximum, value);
                planeMaxima_[0][x] = std::max(planeMaxima_[0][x], value);
            }
            planeMaxima_[1][y] = std::max(planeMaxima_[1][y], rowMaximum);
            planeMaxima_[2][z] = std::max(planeMaxima_[2][z], rowMaximum);
        }
    }
}

TextureBox DensityBounds::boxAtLeast(uint8_t level) const {
    TextureBox box;
    const float texel = 1.0f / static_cast<float>(edge_);
    for (int axis = 0; axis < 3; ++axis) {
        const auto& maxima = planeMaxima_[axis];
        const auto reaches = [level](uint8_t maximum) { return maximum >= level; };
        const auto first = std::find_if(maxima.begin(), maxima.end(), reaches);
        if (first == maxima.end()) {
            box.empty = true;
            return box;
        }
        const auto last = std::find_if(maxima.rbegin(), maxima.rend(), reaches);
        const int low = static_cast<int>(first - maxima.begin());
        const int high = static_cast<int>(maxima.rend() - last) - 1;
        // A sample at p reads texels floor(p * edge - 0.5) and the next, so
        // it reaches [low, high] only from (low - 0.5) to (high + 1.5)
        // texels; one more texel each way absorbs rounding.
        box.low[axis] = (static_cast<float>(low) - 1.5f) * texel;
        box.high[axis] = (static_cast<float>(high) + 2.5f) * texel;
    }
    return box;
}

}  // namespace volume
