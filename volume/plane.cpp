#include "volume/plane.h"

namespace volume {

using support::Vector3;

Plane::Plane() : Plane(Vector3(0, 0, 1), Vector3(0, 0, 0)) {}

Plane::Plane(const Vector3& n, const Vector3& p) {
    axisV = Vector3(10, 0, 0).cross(n);
    // A normal along x makes the first product zero; take another seed axis.
    if (axisV.equals(Vector3(0, 0, 0))) axisV = Vector3(10, 10, 0).cross(n);
    axisU = n.cross(axisV);
    origin = p;
    normal = n;
    offset = -n.dot(p);
}

}  // namespace volume
