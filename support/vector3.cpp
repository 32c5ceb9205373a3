#include "support/vector3.h"

#include <cmath>

namespace support {

Vector3 Vector3::cross(const Vector3& b) const {
    return Vector3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
}

Vector3 Vector3::normalized() const {
    const float length = std::sqrt(x * x + y * y + z * z);
    return Vector3(x / length, y / length, z / length);
}

}  // namespace support
