// 4x4 single-precision matrices. Element (row r, column c) is m[4r + c]; a
// point is the row vector (x, y, z, 1) multiplied from the left, so the
// translation sits in m[12..14] (OpenGL's element order).
#pragma once

#include "support/vector3.h"

namespace support {

class Matrix4 {
public:
    Matrix4();  // identity
    Matrix4(const Matrix4&) = default;
    Matrix4& operator=(const Matrix4&) = default;
    virtual ~Matrix4() = default;

    // Product this · b: the receiver acts first on a transformed point.
    Matrix4 multiply(const Matrix4& b) const;
    // Affine transform of a point; m[3], m[7], m[11], m[15] take no part.
    Vector3 transform(const Vector3& p) const;

    float m[16];
};

// A general transform, built empty (identity) or from any matrix result.
class TransformMatrix : public Matrix4 {
public:
    TransformMatrix() = default;
    TransformMatrix(const Matrix4& source);  // NOLINT: assignment from products goes through here
    ~TransformMatrix() override = default;
};

// Rotation about the y axis by an angle in radians.
class RotationY : public Matrix4 {
public:
    explicit RotationY(float angle);
    ~RotationY() override = default;
};

// Rotation about the x axis by an angle in radians.
class RotationX : public Matrix4 {
public:
    explicit RotationX(float angle);
    ~RotationX() override = default;
};

}  // namespace support
