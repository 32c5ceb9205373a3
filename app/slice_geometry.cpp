#include "app/slice_geometry.h"

#include "support/matrix4.h"

namespace app {
namespace {

// 45 degrees, with pi taken as 3.1415926535.
constexpr float kLightAngle = 0.785398163375f;

}  // namespace

float sliceParameter(int slice, float step) {
    return static_cast<float>(1.0 - slice * static_cast<double>(step));
}

float sliceDepth(int slice, float step) {
    return static_cast<float>(0.5 * static_cast<double>(sliceParameter(slice, step)) - 0.75);
}

support::Vector3 computeLightVector() {
    support::TransformMatrix transform;
    transform = transform.multiply(support::RotationY(kLightAngle));
    transform = transform.multiply(support::RotationX(kLightAngle));
    return transform.transform(support::Vector3(0, 0, 1));
}

}  // namespace app
