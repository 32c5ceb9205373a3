#include "support/matrix4.h"

#include <cmath>

namespace support {

Matrix4::Matrix4() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4 Matrix4::multiply(const Matrix4& b) const {
    Matrix4 result;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += m[4 * i + k] * b.m[4 * k + j];
            result.m[4 * i + j] = sum;
        }
    }
    return result;
}

Vector3 Matrix4::transform(const Vector3& p) const {
    return Vector3(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                   m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
}

TransformMatrix::TransformMatrix(const Matrix4& source) : Matrix4() {
    for (int i = 0; i < 16; ++i) m[i] = source.m[i];
}

RotationY::RotationY(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    m[0] = c;
    m[2] = s;
    m[8] = -s;
    m[10] = c;
}

RotationX::RotationX(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    m[5] = c;
    m[6] = s;
    m[9] = -s;
    m[10] = c;
}

}  // namespace support
