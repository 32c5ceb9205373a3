// The gradient image.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::loadCube;

constexpr int kEdge = 12;

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
