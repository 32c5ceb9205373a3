// Single-precision 3D vector with value operations.
#pragma once

namespace support {

class Vector3 {
public:
    Vector3() = default;
    Vector3(float x, float y, float z) : x(x), y(y), z(z) {}
    Vector3(const Vector3&) = default;
    Vector3& operator=(const Vector3&) = default;
    virtual ~Vector3() = default;

    Vector3 add(const Vector3& b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
    Vector3 scale(float s) const { return Vector3(s * x, s * y, s * z); }
    float dot(const Vector3& b) const { return x * b.x + y * b.y + z * b.z; }
    Vector3 cross(const Vector3& b) const;
    // Unit vector in the same direction; a zero vector gives NaN components.
    Vector3 normalized() const;
    // Exact component-wise comparison, no tolerance.
    bool equals(const Vector3& b) const { return x == b.x && y == b.y && z == b.z; }

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

}  // namespace support
