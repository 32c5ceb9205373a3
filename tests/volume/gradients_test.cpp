// The gradient image and the shading.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::loadCube;

// A field that curves along every axis, so that the weights of the one- and
// two-voxel differences show in every component and in its direction.
TEST(GradientImage, TexelsHoldAPlainCentralDifferenceOfTheSamplesAndTheirDensity) {
    constexpr int e = 6;
    const auto sample = [](int x, int y, int z) {
        return static_cast<uint16_t>(37 * x + 11 * y * y + 3 * z * z * z + 1);
    };
    auto volume = loadCube(e, sample);
    const auto image = volume->createGradientTexture(e);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(volume->valueMode(), volume::Density);
    // Access (x, y, k) reads file sample (x, y, e - 1 - k); 0 at coordinate 0 and beyond the grid.
    const auto v = [&](int x, int y, int k) {
        return x < 1 || y < 1 || k < 1 || x >= e || y >= e || k >= e ? 0 : sample(x, y, e - 1 - k);
    };
    const auto weighted = [](double d1, double d2) { return static_cast<float>(d1 / 2 + (1.0f / 6) * d2); };
    for (int x = 0; x < e; ++x)
        for (int y = 0; y < e; ++y)
            for (int k = 0; k < e; ++k) {
                SCOPED_TRACE(testing::Message() << x << "," << y << "," << k);
                const float in = v(x, y, k) > 0;  // the faces x = 0, y = 0, k = 0 hold no gradient
                const float g[3] = {
                    in * weighted(v(x + 1, y, k) - v(x - 1, y, k), v(x + 2, y, k) - v(x - 2, y, k)),
                    in * weighted(v(x, y + 1, k) - v(x, y - 1, k), v(x, y + 2, k) - v(x, y - 2, k)),
                    in * -weighted(v(x, y, k + 1) - v(x, y, k - 1), v(x, y, k + 2) - v(x, y, k - 2))};
                EXPECT_TRUE(volume->gradient(x, y, k).equals({g[0], g[1], g[2]}));
                const float length = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
                const uint8_t* texel = image.get() + 4 * (x + e * (y + e * (e - 1 - k)));
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(texel[c], in ? static_cast<int>((g[c] / length + 1.0) * 128.0) : 0) << c;
                EXPECT_EQ(texel[3], v(x, y, k) >> 4);
            }
    // Straight along +x: the normalised 1.0 is stored as 255, not wrapped to 0.
    auto ramp = loadCube(e, [](int x, int, int) { return static_cast<uint16_t>(10 * x); });
    EXPECT_EQ(ramp->createGradientTexture(e)[4 * (3 + e * (3 + e * 2))], 255);
}

// The default lighting: the shade is read back as the colour bytes of a white
// colour table scaled by it.
TEST(Shading, DefaultCoefficientsFromAmbientAloneToFullLight) {
    auto volume = loadCube(6, [](int x, int, int) { return static_cast<uint16_t>(1000 - 10 * x); });
    const std::vector<uint32_t> white(volume::Volume::kColorTableSize, 0xFFFFFFFFu);
    volume->setColorTable(white.data());
    const auto shade = [&](support::Vector3 light) {  // at (3, 3, 3), whose gradient points along -x
        volume->setLightDirection(light);
        volume->computeShading(0);
        volume->setValueMode(volume::ShadedColor);
        return volume->value(3, 3, 3) & 0xFFu;
    };
    EXPECT_EQ(shade({-1, 0, 0}), 255u);
    EXPECT_EQ(shade({1, 0, 0}), 25u);     // facing away: 255 * 0.1
    EXPECT_EQ(shade({-5, -1, 0}), 170u);  // d = 5 / sqrt(26): 255 * (0.6 * d^40 + 0.3 * d + 0.1) = 170.3
}

}  // namespace
