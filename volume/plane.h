// A bounding plane of the dataset: two (unnormalised) in-plane axes, an
// origin, the outward normal and the plane offset -(n . p).
#pragma once

#include "support/vector3.h"

namespace volume {

class Plane {
public:
    Plane();  // normal (0, 0, 1) through the origin
    Plane(const support::Vector3& normal, const support::Vector3& point);
    Plane(const Plane&) = default;
    Plane& operator=(const Plane&) = default;
    virtual ~Plane() = default;

    support::Vector3 axisU;
    support::Vector3 axisV;
    support::Vector3 origin;
    support::Vector3 normal;
    float offset = 0.0f;
};

}  // namespace volume
