// The stack of view-aligned slices the volume is drawn with (166 for the
// 128 cube, more for a finer one), where each slice lies, and the constant
// light vector every slice vertex carries.
#pragma once

#include "support/vector3.h"

namespace app {

constexpr int kSliceCount = 166;
constexpr float kSliceStep = 1.0f / 150.0f;  // the float nearest 1/150

// How many slices, and their spacing in w; slice 0 lies at w = 1.
struct SliceStack {
    int count = kSliceCount;
    float step = kSliceStep;
};

// Slice parameter w(i) = 1 - i * step (1/150 by default, rounded to float).
float sliceParameter(int slice, float step = kSliceStep);
// Depth of slice i in object space: 0.5 w(i) - 0.75.
float sliceDepth(int slice, float step = kSliceStep);

// (0, 0, 1) turned by 45 degrees about y and then about x.
support::Vector3 computeLightVector();

// The order a pass draws its slices in: the last slice down to 0, or 0 up
// to the last.
enum class SliceOrder { backToFront, frontToBack };

}  // namespace app
