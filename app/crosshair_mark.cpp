#include "app/crosshair_mark.h"

namespace app {

void picturePointOf(const ViewPose& pose, float zoom, const float texture[3], float& x, float& y) {
    float m[16];
    poseModelview(pose, m);
    // slice = R^T (texture - translation); only s and t place the point.
    float slice[2] = {0.0f, 0.0f};
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 3; ++r) slice[c] += m[c * 4 + r] * (texture[r] - m[12 + r]);
    x = 0.5f + (slice[0] - 0.5f) * zoom;
    y = 0.5f + (slice[1] - 0.5f) * zoom;
}

}  // namespace app
