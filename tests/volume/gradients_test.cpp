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

TEST(Gradients, RampAlongXInsideAndNearTheFace) {
    auto volume = loadCube(kEdge, [](int x, int, int) { return static_cast<uint16_t>(100 + 10 * x); });
    // Well inside: 0.5 * 20 + c6 * 40.
    const float inside = static_cast<float>(0.5 * 20 + kSixth * 40);
    EXPECT_FLOAT_EQ(inside, 16.666666f);
    EXPECT_TRUE(volume->gradient(5, 5, 5).equals({inside, 0, 0}));
    // At x = 1 the samples at x = 0 and x = -1 read as zero.
    EXPECT_EQ(volume->gradient(1, 5, 5).x, static_cast<float>(0.5 * 120 + kSixth * 130));
    EXPECT_EQ(volume->gradient(1, 5, 5).x, 81.666664f);
}

TEST(Gradients, ConstantVolumeHasGradientsOnlyNearTheFaces) {
    const int c = 600;
    auto volume = loadCube(kEdge, [](int, int, int) { return static_cast<uint16_t>(c); });
    struct Row {
        int x;
        double expected;
    };
    const Row rows[] = {{1, 0.5 * c + kSixth * c}, {2, kSixth * c}, {3, 0}, {6, 0},
                        {kEdge - 3, 0},            {kEdge - 2, -kSixth * c}, {kEdge - 1, -0.5 * c - kSixth * c}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.x);
        const Vector3 g = volume->gradient(row.x, 5, 5);
        EXPECT_EQ(g.x, static_cast<float>(row.expected));
        EXPECT_EQ(g.y, 0.0f);
        EXPECT_EQ(g.z, 0.0f);
    }
    EXPECT_TRUE(volume->gradient(0, 5, 5).equals({0, 0, 0}));  // outside the inside box
}

TEST(Gradients, StoredVectorPointsTowardsDenserMaterialInStorageAxes) {
    // Density grows with storage z (towards the top slice).
    auto volume = loadCube(kEdge, [](int, int, int z) { return static_cast<uint16_t>(100 + 10 * z); });
    const Vector3 g = volume->gradient(5, 5, 5);
    EXPECT_EQ(g.z, 16.666666f);
    EXPECT_EQ(g.x, 0.0f);
}

TEST(Gradients, InterpolationMatchesAtVoxelsAndBlendsBetween) {
    auto volume = loadCube(kEdge, [](int x, int, int) { return static_cast<uint16_t>(10 * x * x); });
    EXPECT_TRUE(volume->interpolatedGradient(4, 5, 6).equals(volume->gradient(4, 5, 6)));
    const float a = volume->gradient(4, 5, 6).x, b = volume->gradient(5, 5, 6).x;
    EXPECT_FLOAT_EQ(volume->interpolatedGradient(4.25f, 5, 6).x, 0.75f * a + 0.25f * b);
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

TEST(PackedGradient, BytesOfTheNormalisedGradient) {
    auto volume = loadCube<FixedGradientVolume>(4, [](int, int, int) { return uint16_t{1500}; });
    struct Row {
        Vector3 gradient;
        uint32_t word;
    };
    const Row rows[] = {
        {{3, 0, 4}, 204u << 16 | 128u << 8 | 230u},
        {{0, 0, 0}, 0u},  // no gradient: all zero, not 128
        {{-5, 0, 0}, 0u << 16 | 128u << 8 | 128u},
        // +1.0 is stored as 255 rather than wrapping to 0.
        {{5, 0, 0}, 255u << 16 | 128u << 8 | 128u},
        {{0, 0, 2}, 128u << 16 | 128u << 8 | 255u},
    };
    volume->setValueMode(volume::GradientColor);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.gradient.x << "," << row.gradient.y << "," << row.gradient.z);
        volume->fixed = row.gradient;
        EXPECT_EQ(volume->value(1, 1, 1), row.word);
    }
}

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

TEST(Shading, LitFacingTheLightAndAmbientAway) {
    // Sample 2000 has colour 0xFFFFFFA0; ShadedColor scales its colour bytes.
    auto volume = loadCube<FixedGradientVolume>(4, [](int, int, int) { return uint16_t{2000}; });
    volume->fixed = Vector3(-2, 0, 0);  // along the light (-1, 0, 0): d = 1
    volume->computeShading(0);
    EXPECT_EQ(volume->valueMode(), volume::Color);
    volume->setValueMode(volume::ShadedColor);
    EXPECT_EQ(volume->value(1, 1, 1), 0xFFFFFFA0u);  // shade 255
    volume->fixed = Vector3(2, 0, 0);  // facing away: ambient only, shade 25
    volume->computeShading(0);
    volume->setValueMode(volume::ShadedColor);
    EXPECT_EQ(volume->value(1, 1, 1), 0xFF000000u | 25u << 16 | 25u << 8 | (160u * 25 / 255));
}

}  // namespace
