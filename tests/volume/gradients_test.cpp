// Gradients of the sample field, the packed gradient word, the gradient
// image and the shading pass.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using support::Vector3;
using testing_support::loadCube;

constexpr int kEdge = 12;
const double kSixth = static_cast<double>(0.16666667f);

TEST(Gradients, StoredVectorPointsTowardsDenserMaterialInStorageAxes) {
    // Density grows with storage z (towards the top slice).
    auto volume = loadCube(kEdge, [](int, int, int z) { return static_cast<uint16_t>(100 + 10 * z); });
    const Vector3 g = volume->gradient(5, 5, 5);
    EXPECT_EQ(g.z, 16.666666f);
    EXPECT_EQ(g.x, 0.0f);
}

// A volume whose gradients are whatever the test says: the packing, the
// gradient image and the shading must all go through gradient().
class FixedGradientVolume : public volume::Volume {
public:
    using Volume::Volume;
    Vector3 gradient(int x, int y, int k) override {
        return (x > 0 && y > 0 && k > 0) ? fixed : Vector3(0, 0, 0);
    }
    Vector3 fixed;
};

TEST(GradientImage, TexelsHoldGradientBytesAndDensityInStorageOrder) {
    auto volume = loadCube(kEdge, [](int x, int, int) { return static_cast<uint16_t>(100 + 10 * x); });
    const auto image = volume->createGradientTexture(kEdge);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(volume->valueMode(), volume::Density);
    const auto texel = [&](int x, int y, int z) { return image.get() + 4 * (x + kEdge * (y + kEdge * z)); };
    // Inside: gradient along +x, density byte of the sample.
    const uint8_t* inside = texel(5, 5, 5);
    EXPECT_EQ(inside[0], 255);
    EXPECT_EQ(inside[1], 128);
    EXPECT_EQ(inside[2], 128);
    EXPECT_EQ(inside[3], (100 + 50) >> 4);
    // Faces x = 0, y = 0 and the top slice are empty.
    for (const uint8_t* face : {texel(0, 5, 5), texel(5, 0, 5), texel(5, 5, kEdge - 1)}) {
        EXPECT_EQ(face[0] | face[1] | face[2] | face[3], 0);
    }
}

}  // namespace
