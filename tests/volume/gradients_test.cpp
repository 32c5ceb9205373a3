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

// A field that curves along every axis, so that the weights of the one- and
// two-voxel differences both show in every component and in its direction.
TEST(GradientImage, EveryTexelMatchesAPlainCentralDifferenceOfTheSamples) {
    constexpr int e = 6;
    const auto sample = [](int x, int y, int z) {
        return static_cast<uint16_t>(37 * x + 11 * y * y + 3 * z * z * z + 1);
    };
    auto volume = loadCube(e, sample);
    const auto image = volume->createGradientTexture(e);
    ASSERT_NE(image, nullptr);
    // Access (x, y, k) reads file sample (x, y, e - 1 - k); zero at coordinate 0 and beyond the grid.
    const auto v = [&](int x, int y, int k) -> double {
        return x < 1 || y < 1 || k < 1 || x >= e || y >= e || k >= e ? 0.0 : sample(x, y, e - 1 - k);
    };
    const auto weighted = [](double d1, double d2) { return static_cast<float>(d1 / 2 + (1.0f / 6) * d2); };
    const auto byte = [](float c, float length) {
        const float n = c / length;
        return n >= 1.0f ? 255 : static_cast<int>((n + 1.0) * 128.0);
    };
    for (int x = 1; x < e; ++x)  // coordinate 0 has no gradient (test above)
        for (int y = 1; y < e; ++y)
            for (int k = 1; k < e; ++k) {
                SCOPED_TRACE(testing::Message() << x << "," << y << "," << k);
                const float g[3] = {
                    weighted(v(x + 1, y, k) - v(x - 1, y, k), v(x + 2, y, k) - v(x - 2, y, k)),
                    weighted(v(x, y + 1, k) - v(x, y - 1, k), v(x, y + 2, k) - v(x, y - 2, k)),
                    -weighted(v(x, y, k + 1) - v(x, y, k - 1), v(x, y, k + 2) - v(x, y, k - 2))};
                EXPECT_TRUE(volume->gradient(x, y, k).equals({g[0], g[1], g[2]}));
                const float length = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
                const uint8_t* texel = image.get() + 4 * (x + e * (y + e * (e - 1 - k)));
                for (int c = 0; c < 3; ++c) EXPECT_EQ(texel[c], length > 0 ? byte(g[c], length) : 0) << c;
            }
}

}  // namespace
