// The arithmetic of a gradient and its packed word, shared by the volume's
// gradient pass and the image slabs, so that both give the same bytes.
#pragma once

#include <cstdint>

#include "support/vector3.h"

namespace volume {

// The single-precision number nearest 1/6, used in double arithmetic.
inline const double kGradientSixth = static_cast<double>(0.16666667f);

// One gradient component from the differences over one and two voxels.
inline float gradientComponent(int64_t d1, int64_t d2) {
    return static_cast<float>(0.5 * static_cast<double>(d1) + kGradientSixth * static_cast<double>(d2));
}

// Byte of a normalised component: -1 -> 0, 0 -> 128, +1 -> 255.
inline uint32_t gradientByte(float c) {
    // NOTE: (1 + 1) * 128 = 256 does not fit a byte; +1.0 is stored as 255
    // rather than wrapping to 0, the byte of -1.0.
    if (c >= 1.0f) return 255;
    const int byte = static_cast<int>((static_cast<double>(c) + 1.0) * 128.0);
    return byte < 0 ? 0u : static_cast<uint32_t>(byte);
}

// The normalised gradient as 0x00RRGGBB; 0 for a zero gradient.
inline uint32_t packGradient(const support::Vector3& g) {
    if (g.x == 0 && g.y == 0 && g.z == 0) return 0;
    const support::Vector3 n = g.normalized();
    return gradientByte(n.x) << 16 | gradientByte(n.y) << 8 | gradientByte(n.z);
}

}  // namespace volume
