// Vector3 and Matrix4 arithmetic.
#include <gtest/gtest.h>

#include <cmath>

#include "support/matrix4.h"

namespace {

using support::Matrix4;
using support::RotationX;
using support::RotationY;
using support::TransformMatrix;
using support::Vector3;

TEST(Vector3, ValueOperations) {
    const Vector3 a(1, 2, 3), b(4, -5, 6);
    EXPECT_TRUE(a.add(b).equals({5, -3, 9}));
    EXPECT_TRUE(a.scale(2).equals({2, 4, 6}));
    EXPECT_EQ(a.dot(b), 4 - 10 + 18);
    EXPECT_TRUE(Vector3(1, 0, 0).cross({0, 1, 0}).equals({0, 0, 1}));
    EXPECT_TRUE(Vector3(0, 3, 4).normalized().equals({0, 0.6f, 0.8f}));
    EXPECT_TRUE(std::isnan(Vector3().normalized().x));
    EXPECT_FALSE(Vector3(1, 2, 3).equals({1, 2, std::nextafter(3.0f, 4.0f)}));
    Vector3* many = new Vector3[3];
    EXPECT_TRUE(many[2].equals({0, 0, 0}));
    delete[] many;
}

TEST(Matrix4, IdentityProductsAndRowVectorConvention) {
    Matrix4 x;
    for (int i = 0; i < 16; ++i) x.m[i] = static_cast<float>(i + 1);
    for (const Matrix4& product : {Matrix4().multiply(x), x.multiply(Matrix4())}) {
        for (int i = 0; i < 16; ++i) EXPECT_EQ(product.m[i], x.m[i]);
    }
    // The projective column takes no part in transform.
    Matrix4 translate;
    translate.m[12] = 1;
    translate.m[13] = 2;
    translate.m[14] = 3;
    translate.m[3] = translate.m[7] = translate.m[11] = 9;
    EXPECT_TRUE(translate.transform({1, 1, 1}).equals({2, 3, 4}));
}

TEST(Matrix4, ReceiverOfMultiplyActsFirst) {
    const float a = 0.5f;
    Matrix4 shift;
    shift.m[12] = 1;
    const Matrix4 shiftThenTurn = shift.multiply(RotationY(a));
    const Vector3 p(0, 0, 1);
    const Vector3 expected = RotationY(a).transform(shift.transform(p));
    const Vector3 got = shiftThenTurn.transform(p);
    EXPECT_FLOAT_EQ(got.x, expected.x);
    EXPECT_FLOAT_EQ(got.z, expected.z);
}

TEST(Matrix4, RotationsAndTheLightVector) {
    const float a = 0.785398163375f;
    const Vector3 y = RotationY(a).transform({0, 0, 1});
    EXPECT_FLOAT_EQ(y.x, -std::sin(a));
    EXPECT_FLOAT_EQ(y.z, std::cos(a));
    const Vector3 x = RotationX(a).transform({0, 0, 1});
    EXPECT_FLOAT_EQ(x.y, -std::sin(a));
    TransformMatrix light;
    light = light.multiply(RotationY(a));
    light = light.multiply(RotationX(a));
    const Vector3 v = light.transform({0, 0, 1});
    EXPECT_NEAR(v.x, -0.7071068f, 1e-6);
    EXPECT_NEAR(v.y, -0.5f, 1e-6);
    EXPECT_NEAR(v.z, 0.5f, 1e-6);
}

}  // namespace
