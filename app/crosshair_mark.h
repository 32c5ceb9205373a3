// Where a point of the volume lands on viewer mode's 3D picture, for the
// crosshair's mark: the pose's rigid modelview taken back from texture to
// slice coordinates, then the zoomed viewport.
#pragma once

#include "app/view_pose.h"

namespace app {

// The picture position of texture point `texture` under `pose` and `zoom`,
// as fractions of the picture's side from its lower left corner.
void picturePointOf(const ViewPose& pose, float zoom, const float texture[3], float& x, float& y);

}  // namespace app
